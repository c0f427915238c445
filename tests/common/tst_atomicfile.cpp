// The all-or-nothing write that the export and the .cod saves share: through
// symbolic links to their targets, never over what is not a regular file.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

#include "common/atomicfile.h"
#include "doc/zbdoc.h"
#include "testsupport.h"

namespace {

// The owner's, group's and others' permissions, as the file's mode holds them.
const QFile::Permissions kModeBits(0x7077);

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT
  private slots:
    // A link is written through: its target (in another folder) gets the
    // contents, keeps its permissions, and the link stays a link; no
    // temporary is left in either folder.
    void writesThroughALink() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("cible")));
        const QString target = dir.filePath(QStringLiteral("cible/mesure.txt"));
        const QString link = dir.filePath(QStringLiteral("lien.txt"));
        QVERIFY(WriteAll(target, "ancien"));
        QVERIFY(
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(QFile::link(target, link));

        QVERIFY(WriteFileAtomically(link, "nouveau\r\n"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(link).symLinkTarget(), target);
        QCOMPARE(ReadFileBytes(target), QByteArray("nouveau\r\n"));
        QCOMPARE(QFile::permissions(target) & kModeBits,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System),
                 QStringList{QStringLiteral("lien.txt")});
        QCOMPARE(QDir(dir.filePath(QStringLiteral("cible"))).entryList(QDir::Files),
                 QStringList{QStringLiteral("mesure.txt")});
    }

    // A document saved under a link's name lands in its target.
    void documentSavedThroughALink() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("vrai.cod"));
        const QString link = dir.filePath(QStringLiteral("raccourci.cod"));
        QVERIFY(WriteAll(target, "ancien"));
        QVERIFY(QFile::link(target, link));
        CZbDoc doc(nullptr);
        doc.m_strCode = QStringLiteral("9780201379624");
        QString error;
        QVERIFY2(doc.Save(link, &error), qPrintable(error));
        QVERIFY(QFileInfo(link).isSymLink());
        CZbDoc loaded(nullptr);
        QVERIFY2(loaded.Load(target, &error), qPrintable(error));
        QCOMPARE(loaded.m_strCode, QStringLiteral("9780201379624"));
    }

    // A new file is readable by all, writable by its owner (under the usual
    // umask 022).
    void newFileIsCreated() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("neuf.txt"));
        const mode_t previous = ::umask(022);
        const bool written = WriteFileAtomically(path, "contenu");
        ::umask(previous);
        QVERIFY(written);
        QCOMPARE(ReadFileBytes(path), QByteArray("contenu"));
        QCOMPARE(QFile::permissions(path) & kModeBits,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }

    // What is neither a regular file nor a link to one is refused at once and
    // left as it was: writing would block on a FIFO, or put a regular file in
    // the place of a FIFO or of a folder.
    void refusesWhatIsNotARegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("link to a FIFO") << "link to fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("link to a folder") << "link to folder";
    }
    void refusesWhatIsNotARegularFile() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("tube.txt"));
        const QString folder = dir.filePath(QStringLiteral("dossier.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QDir().mkpath(folder));
        QString path = kind.endsWith(QLatin1String("fifo")) ? fifo : folder;
        if (kind.startsWith(QLatin1String("link"))) {
            const QString link = dir.filePath(QStringLiteral("lien.txt"));
            QVERIFY(QFile::link(path, link));
            path = link;
        }
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!WriteFileAtomically(path, "contenu"));
        QVERIFY(clock.elapsed() < 2000);
        QFileInfo fifoInfo(fifo);
        QVERIFY(!fifoInfo.isFile() && !fifoInfo.isDir() && fifoInfo.exists());
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(QDir(folder).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
