// The desktop's menu entry and the .cod file type, checked with the desktop's
// own tools: desktop-file-validate, and update-mime-database in a private
// prefix read back through Qt's MIME database, as file managers read it.

#include <QDir>
#include <QFile>
#include <QMap>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "testsupport.h"

namespace {

QString DesktopFile(const char* name) {
    return qEnvironmentVariable("LINEATIX_SOURCE_DIR") + QStringLiteral("/desktop/") +
           QLatin1String(name);
}

// group -> key -> value of a desktop entry file.
using DesktopEntry = QMap<QString, QMap<QString, QString>>;

DesktopEntry ReadDesktopEntry(const QString& path) {
    DesktopEntry entry;
    QString group;
    for (const QString& line : QString::fromUtf8(ReadFileBytes(path)).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('['))) {
            group = line.mid(1, line.indexOf(QLatin1Char(']')) - 1);
        } else if (line.contains(QLatin1Char('=')) && !line.startsWith(QLatin1Char('#'))) {
            entry[group][line.section(QLatin1Char('='), 0, 0)] = line.section(QLatin1Char('='), 1);
        }
    }
    return entry;
}

// The MIME type the shared-mime-info description declares.
QString DeclaredMimeType() {
    QXmlStreamReader xml(ReadFileBytes(DesktopFile("lineatix.xml")));
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("mime-type"))
            return xml.attributes().value(QLatin1String("type")).toString();
        if (xml.name() != QLatin1String("mime-info")) xml.skipCurrentElement();
    }
    return {};
}

QStringList ListOf(const QString& value) {
    return value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

} // namespace

class TestDesktopEntry : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;
    DesktopEntry m_entry;
    QString m_type;
    ProcessResult m_mimeUpdate; // update-mime-database on our description alone

  private slots:
    void initTestCase() {
        m_entry = ReadDesktopEntry(DesktopFile("lineatix.desktop"));
        QVERIFY(m_entry.contains(QStringLiteral("Desktop Entry")));
        m_type = DeclaredMimeType();
        QCOMPARE(m_type, QStringLiteral("application/x-lineatix-cod"));
        // The print verb below finds no print server, whatever this machine has.
        qputenv("CUPS_SERVER", m_dir.filePath(QStringLiteral("no-cups.sock")).toLocal8Bit());

        // The type installed in a private prefix as a package installs it.
        const QString mime = m_dir.filePath(QStringLiteral("share/mime"));
        QVERIFY(QDir().mkpath(mime + QStringLiteral("/packages")));
        QVERIFY(QFile::copy(DesktopFile("lineatix.xml"),
                            mime + QStringLiteral("/packages/lineatix.xml")));
        // Qt reads these when its database is first used, and keeps what it
        // read; update-mime-database checks that its prefix is among them.
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("home")).toLocal8Bit());
        qputenv("XDG_DATA_DIRS",
                (m_dir.filePath(QStringLiteral("share")) + QStringLiteral(":/usr/share"))
                    .toLocal8Bit());
        m_mimeUpdate = RunProgram(QStringLiteral("update-mime-database"), {mime});
    }

    // Errors and warnings fail; a hint (two main categories, as asked for:
    // the program is found under both) does not.
    void validates() {
        const ProcessResult result =
            RunProgram(QStringLiteral("desktop-file-validate"), {DesktopFile("lineatix.desktop")});
        QVERIFY2(result.exitCode == 0, result.out.constData());
        const QString report = QString::fromUtf8(result.out + result.err);
        QVERIFY2(!report.contains(QStringLiteral("error:")) &&
                     !report.contains(QStringLiteral("warning:")),
                 qPrintable(report));
    }

    void menuEntry() {
        const QMap<QString, QString> main = m_entry.value(QStringLiteral("Desktop Entry"));
        QCOMPARE(main.value(QStringLiteral("Name")), QStringLiteral("Lineatix"));
        QVERIFY(main.value(QStringLiteral("Comment")).contains(QStringLiteral("codes-barres")));
        const QStringList categories = ListOf(main.value(QStringLiteral("Categories")));
        QVERIFY(categories.contains(QStringLiteral("Education")));
        QVERIFY(categories.contains(QStringLiteral("Science")));
        // A double click hands over one file, which the program opens.
        QCOMPARE(main.value(QStringLiteral("Exec")), QStringLiteral("lineatix %f"));
        QCOMPARE(ListOf(main.value(QStringLiteral("MimeType"))), QStringList{m_type});
        QCOMPARE(main.value(QStringLiteral("Icon")), QStringLiteral("lineatix"));
    }

    // The "Imprimer" action runs a command the program takes as its print
    // verb: with no printer it says so, rather than printing its usage.
    void printActionRunsTheVerb() {
        const QMap<QString, QString> main = m_entry.value(QStringLiteral("Desktop Entry"));
        QCOMPARE(ListOf(main.value(QStringLiteral("Actions"))), QStringList{"Imprimer"});
        const QMap<QString, QString> action =
            m_entry.value(QStringLiteral("Desktop Action Imprimer"));
        QCOMPARE(action.value(QStringLiteral("Name")), QStringLiteral("Imprimer"));
        QStringList command = action.value(QStringLiteral("Exec")).split(QLatin1Char(' '));
        QCOMPARE(command.takeFirst(), QStringLiteral("lineatix"));
        const QString file = m_dir.filePath(QStringLiteral("essai.cod"));
        QCOMPARE(RunLineatix({"--save", file}).exitCode, 0);
        QVERIFY(command.contains(QStringLiteral("%f")));
        command.replaceInStrings(QStringLiteral("%f"), file);
        const ProcessResult result = RunLineatix(command);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("Aucune imprimante"), result.err.constData());
    }

    void mimeDescriptionAccepted() {
        QVERIFY2(m_mimeUpdate.exitCode == 0 && m_mimeUpdate.err.isEmpty(),
                 m_mimeUpdate.err.constData());
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("share/mime/mime.cache"))));
    }

    // The type as the desktop installs it: update-mime-database builds the
    // cache, which Qt (as file managers) reads; the system's own types, read
    // too, take none of our names.
    void mimeTypeMatchesAnyCase_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("ours");
        QTest::newRow("lower case") << "x.cod" << true;
        QTest::newRow("capitals") << "X.COD" << true;
        QTest::newRow("mixed") << "Essai.Cod" << true;
        QTest::newRow("two dots") << "tp1.groupe2.cod" << true;
        QTest::newRow("longer extension") << "x.codx" << false;
        QTest::newRow("no dot") << "cod" << false;
        QTest::newRow("text") << "x.txt" << false;
    }
    void mimeTypeMatchesAnyCase() {
        QFETCH(QString, name);
        QFETCH(bool, ours);
        const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        QCOMPARE(type.name() == m_type, ours);
        if (ours)
            QCOMPARE(type.comment(), QStringLiteral("Document Lineatix (code-barres EAN-13)"));
    }

    // A document the program wrote is of that type by name and by content.
    void savedDocumentIsOfTheType() {
        const QString file = m_dir.filePath(QStringLiteral("Saved.COD"));
        QCOMPARE(RunLineatix({"--save", file}).exitCode, 0);
        QCOMPARE(QMimeDatabase().mimeTypeForFile(file).name(), m_type);
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
