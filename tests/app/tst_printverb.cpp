// lineatix --print FILE.cod [--printer NAME], the print verb of .cod files, run
// as a file manager runs it: no window, and every failure said on standard
// error with status 1.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "testsupport.h"

class TestPrintVerb : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

  private slots:
    void initTestCase() {
        // No print server at this address: the machine has no printer, as a
        // CI machine or a lab PC not yet set up.
        qputenv("CUPS_SERVER", m_dir.filePath(QStringLiteral("no-cups.sock")).toLocal8Bit());
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
        QCOMPARE(RunLineatix({"--save", path("essai.cod")}).exitCode, 0);
        QVERIFY(QFile::copy(path("essai.cod"), path("ESSAI.COD")));
        QFile damaged(path("damaged.cod"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("\x0D"
                      "54106730042",
                      12);
    }

    void failures_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no printer configured")
            << QStringList{"--print", path("essai.cod")} << "Aucune imprimante n'est installée.";
        QTest::newRow("capitals, no printer")
            << QStringList{"--print", path("ESSAI.COD")} << "Aucune imprimante n'est installée.";
        QTest::newRow("unknown printer")
            << QStringList{"--print", path("essai.cod"), "--printer", "salle-b12"}
            << "Imprimante introuvable: salle-b12";
        QTest::newRow("printer named first")
            << QStringList{"--print", "--printer", "salle-b12", path("essai.cod")}
            << "Imprimante introuvable: salle-b12";
        // The file is read before any printer is looked for.
        QTest::newRow("missing file") << QStringList{"--print", path("absent.cod")} << "absent.cod";
        QTest::newRow("damaged file")
            << QStringList{"--print", path("damaged.cod"), "--printer", "salle-b12"}
            << "Format de fichier inattendu.";
        const QString usage = QStringLiteral("Usage: lineatix --print [--printer NAME] FILE.cod");
        QTest::newRow("no file") << QStringList{"--print"} << usage;
        QTest::newRow("printer without a name")
            << QStringList{"--print", path("essai.cod"), "--printer"} << usage;
        QTest::newRow("two files")
            << QStringList{"--print", path("essai.cod"), path("essai.cod")} << usage;
    }
    void failures() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const ProcessResult result = RunLineatix(arguments);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QByteArray());
        QVERIFY2(QString::fromUtf8(result.err).contains(message), result.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestPrintVerb)
#include "tst_printverb.moc"
