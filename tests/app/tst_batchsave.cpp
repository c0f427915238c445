// lineatix --save OUT.cod [IN.cod], run as a script would.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "testsupport.h"

class TestBatchSave : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

  private slots:
    void savesANewDocument() {
        const ProcessResult result = RunLineatix({"--save", path("new.cod")});
        QCOMPARE(result.exitCode, 0);
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCode.clear();
        QString error;
        QVERIFY(doc.Load(path("new.cod"), &error));
        QCOMPARE(doc.m_strCode, QStringLiteral("5410673004208"));
    }

    void successIsSilent()
    {
        // Scripts read standard error: nothing there when all went well, even
        // without a runtime folder in the environment.
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("LINEATIX_EXE"), {"--save", path("quiet.cod")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
    }

    void copiesAGoodFile() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCode = QStringLiteral("4006381333931");
        doc.m_nPoints = 2;
        doc.m_fT[1][1] = 0.5f;
        QString error;
        QVERIFY(doc.Save(path("in.cod"), &error));
        const ProcessResult result = RunLineatix({"--save", path("out.cod"), path("in.cod")});
        QCOMPARE(result.exitCode, 0);
        QFile in(path("in.cod")), out(path("out.cod"));
        QVERIFY(in.open(QIODevice::ReadOnly) && out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), in.readAll());
    }

    void failures_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("damaged file")
            << QStringList{"--save", path("out2.cod"), path("damaged.cod")}
            << "Format de fichier inattendu.";
        QTest::newRow("missing file")
            << QStringList{"--save", path("out2.cod"), path("absent.cod")} << "absent.cod";
        QTest::newRow("no output") << QStringList{"--save"} << "Usage";
        QTest::newRow("unwritable output")
            << QStringList{"--save", path("no/such/folder/out.cod")} << "out.cod";
    }
    void failures() {
        QFile damaged(path("damaged.cod"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("\x0D"
                      "54106730042",
                      12);
        damaged.close();
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const ProcessResult result = RunLineatix(arguments);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(QString::fromUtf8(result.err).contains(message), result.err.constData());
        QVERIFY(!QFile::exists(path("out2.cod")));
    }
};

QTEST_GUILESS_MAIN(TestBatchSave)
#include "tst_batchsave.moc"
