// lineatix --acquire tds against the simulated oscilloscope on a real
// pseudo-terminal, the saved scan decoded back to the simulated code, and the
// ports that fail: absent, in use, an instrument that never answers. The same
// oscilloscope reached over a raw socket on 127.0.0.1.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "instruments/serial/serialdevice.h"
#include "ptysupport.h"
#include "scriptedinstrument.h"
#include "testsupport.h"

namespace {

QString Text(const QByteArray& bytes) {
    return QString::fromLocal8Bit(bytes);
}

// A scope's LAN port in front of the simulated oscilloscope: one connection
// on 127.0.0.1 whose bytes are carried both ways to the simulator's device.
class CSocketToDevice : public QObject {
  public:
    explicit CSocketToDevice(const QString& devicePath) : m_path(devicePath) {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_peer = m_server.nextPendingConnection();
            QString reason;
            m_device = OpenSerialDevice(m_path, &reason);
            if (!m_device) return;
            connect(m_peer, &QTcpSocket::readyRead, this,
                    [this] { m_device->Write(m_peer->readAll()); });
            connect(m_device.get(), &CSerialTransport::BytesArrived, this,
                    [this] { m_peer->write(m_device->ReadPending()); });
        });
    }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }

  private:
    QString m_path;
    QTcpServer m_server;
    QTcpSocket* m_peer = nullptr;
    std::unique_ptr<CSerialTransport> m_device;
};

// Runs lineatix while this process's event loop keeps serving the socket.
ProcessResult RunLineatixServing(const QStringList& arguments) {
    QProcess process;
    return RunProcess(process, qEnvironmentVariable("LINEATIX_EXE"), arguments, [&] {
        return QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000);
    });
}
// A TDS 340 that identifies itself and answers the preamble (headers off).
const ScriptedReply kIdentification{"ID?\n", "TEKTRONIX,TDS 340,0,CF:91.1CT FV:v1.00\n"};
const ScriptedReply kPreamble{"YOFf?\n", "2500\n1250\n4.0E-6\n4.0E-2\n0.0E0\n2.5E1\n"};

} // namespace

class TestAcquireTds : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // The batch reads the profile for COM1 and COM2: keep the user's out.
        qputenv("XDG_CONFIG_HOME", QByteArray(m_config.path().toLocal8Bit()));
    }

    void acquiresTheSimulatedCodeAndDecodesIt_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("firstSource");
        QTest::newRow("TDS 3XX, two channels")
            << QStringList() << QStringList{"--channels", "CH1,CH2"} << "5410673004208"
            << "CH1";
        QTest::newRow("another model, MATH")
            << QStringList{"--type", "xxx", "--code", "4006381333931"}
            << QStringList{"--channels", "math"} << "4006381333931"
            << "MATH";
    }
    void acquiresTheSimulatedCodeAndDecodesIt() {
        QFETCH(QStringList, simulator);
        QFETCH(QStringList, options);
        QFETCH(QString, code);
        QFETCH(QString, firstSource);
        auto sim = StartSimulator(QStringLiteral("tds"), simulator);
        QVERIFY(!sim->devicePath.isEmpty());
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("scan.cod"));
        const ProcessResult run = RunLineatix(
            QStringList{"--acquire", "tds", "--port", sim->devicePath, "--save", saved} + options);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QStringList lines = Text(run.out).split(QLatin1Char('\n'));
        QCOMPARE(
            lines.value(0),
            QStringLiteral("Sélectionner les voies d'acquisition, puis cliquer sur Acquérir."));
        QCOMPARE(lines.value(1), QStringLiteral("Acquisition en cours: ") + firstSource);
        QVERIFY(lines.value(2).startsWith(QStringLiteral("NR_Pt: 2500, PT_Off: 1250, XINCr: "
                                                         "4.0e-006, YMUlt: 4.0e-002")));
        QVERIFY2(Text(run.out).contains(QStringLiteral("Fin d'acquisition.\n2500 valeurs écrites "
                                                       "dans le tableau.\n(")),
                 run.out.constData());
        QVERIFY(run.err.isEmpty());

        const ProcessResult decode = RunLineatix({"--decode", saved});
        QCOMPARE(decode.exitCode, 0);
        QVERIFY2(Text(decode.out).contains(QStringLiteral("Code barre extrait: ") + code),
                 decode.out.constData());
    }

    // A TDS on the network (TBS1000, TDS2000 with their LAN port): the same
    // commands over a raw socket, the same idle windows ending each reply.
    void acquiresThroughASocket_data() {
        QTest::addColumn<QString>("form");
        QTest::newRow("HOST:PORT") << "%1";
        QTest::newRow("VISA socket") << "TCPIP0::%1::SOCKET";
    }
    void acquiresThroughASocket() {
        QFETCH(QString, form);
        auto sim = StartSimulator(QStringLiteral("tds"), {"--code", "4006381333931"});
        QVERIFY(!sim->devicePath.isEmpty());
        CSocketToDevice scope(sim->devicePath);
        QString address = scope.Address();
        if (form.startsWith(QLatin1String("TCPIP"))) address.replace(QLatin1Char(':'), "::");
        address = form.arg(address);
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("scan.cod"));
        const ProcessResult run = RunLineatixServing(
            {"--acquire", "tds", "--port", address, "--channels", "CH1", "--save", saved});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY2(Text(run.out).contains(QStringLiteral("Fin d'acquisition.\n2500 valeurs écrites "
                                                       "dans le tableau.")),
                 run.out.constData());
        const ProcessResult decode = RunLineatix({"--decode", saved});
        QCOMPARE(decode.exitCode, 0);
        QVERIFY2(Text(decode.out).contains(QStringLiteral("Code barre extrait: 4006381333931")),
                 decode.out.constData());
    }

    // An address nobody answers on: the batch fails with the link's message.
    void aRefusedAddressFails() {
        quint16 port = 0;
        {
            QTcpServer server;
            QVERIFY(server.listen(QHostAddress::LocalHost, 0));
            port = server.serverPort();
        }
        const QString address = QStringLiteral("127.0.0.1:%1").arg(port);
        const ProcessResult run = RunLineatix({"--acquire", "tds", "--port", address});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(Text(run.err).contains(QStringLiteral("Connexion refusée par ") + address),
                 run.err.constData());
        const ProcessResult vxi =
            RunLineatix({"--acquire", "tds", "--port", "TCPIP::127.0.0.1::INSTR"});
        QCOMPARE(vxi.exitCode, 1);
        QVERIFY2(Text(vxi.err).contains(QStringLiteral("VXI-11")), vxi.err.constData());
    }

    // The type given replaces the identification's: a 3XX's prefixed queries
    // go unanswered by another model, a reading error.
    void aWrongTypeIsAReadingError() {
        auto sim = StartSimulator(QStringLiteral("tds"), {"--type", "xxx"});
        QVERIFY(!sim->devicePath.isEmpty());
        const ProcessResult run =
            RunLineatix({"--acquire", "tds", "--port", sim->devicePath, "--type", "3xx"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(Text(run.err).trimmed(), QStringLiteral("Erreur de lecture paramètres !"));
        QVERIFY(!Text(run.out).contains(QStringLiteral("Erreur")));
    }

    void portsThatFail() {
        // Absent.
        ProcessResult run = RunLineatix(
            {"--acquire", "tds", "--port", "/dev/ttyLineatixNone", "--channels", "CH2"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(Text(run.err),
                 QStringLiteral("Erreur d'écriture sur le port série n°1 !\n"
                                "Erreur de connexion au port COM1 !\n"
                                "Le périphérique /dev/ttyLineatixNone n'existe pas.\n"));

        // In use by another program.
        CTestPty pty;
        QString reason;
        auto holder = OpenSerialDevice(pty.SlavePath(), &reason);
        QVERIFY2(holder, qPrintable(reason));
        run = RunLineatix({"--acquire", "tds", "--port", pty.SlavePath()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(Text(run.err).contains(QStringLiteral("est utilisé par un autre programme.")),
                 run.err.constData());
        holder.reset();

        // An instrument that never answers.
        run = RunLineatix({"--acquire", "tds", "--port", pty.SlavePath()});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(Text(run.err).trimmed(),
                 QStringLiteral("Erreur de communication avec oscilloscope Tektronix !"));
        QCOMPARE(pty.ReadAvailable(), QByteArray("DATA:ENCDG ASCII\nRS232:PRESET\nID?\n"));
    }

    // The curve never comes: the window's texts, then a failure with the
    // reason, and nothing saved for --decode to find empty.
    void aCurveThatNeverCameIsAFailure() {
        CTestPty pty;
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("scan.cod"));
        const ProcessResult run = RunLineatixAgainst(
            pty, {"--acquire", "tds", "--port", pty.SlavePath(), "--save", saved},
            {kIdentification, kPreamble});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(Text(run.out).contains(
                     QStringLiteral("Fin d'acquisition.\n1 valeurs écrites dans le tableau.\n(0)")),
                 run.out.constData());
        QCOMPARE(Text(run.err).trimmed(),
                 QStringLiteral("CH1 : aucune valeur écrite dans le tableau."));
        QVERIFY(!QFile::exists(saved));
    }

    // A scope that keeps sending never ends its curve: --timeout bounds the
    // wait for one reply, then the acquisition fails with the reason.
    void aCurveThatNeverEndsStopsAtTheTimeout() {
        CTestPty pty;
        QElapsedTimer clock;
        clock.start();
        const ProcessResult run = RunLineatixAgainst(
            pty, {"--acquire", "tds", "--port", pty.SlavePath(), "--timeout", "1"},
            {kIdentification, kPreamble, {"CURVe?\n", "12,", true}});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(Text(run.err).trimmed(),
                 QStringLiteral("L'oscilloscope répond depuis plus de 1 s : acquisition arrêtée."));
        QVERIFY(clock.elapsed() < 15000);
    }

    void wrongArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no port") << QStringList{"--acquire", "tds"};
        QTest::newRow("three sources")
            << QStringList{"--acquire", "tds", "--port", "COM1", "--channels", "CH1,CH2,MATH"};
        QTest::newRow("unknown source")
            << QStringList{"--acquire", "tds", "--port", "COM1", "--channels", "CH3"};
        QTest::newRow("repeated source")
            << QStringList{"--acquire", "tds", "--port", "COM1", "--channels", "CH1,ch1"};
        QTest::newRow("unknown type")
            << QStringList{"--acquire", "tds", "--port", "COM1", "--type", "2xx"};
        // Never COM1's own device in place of a path left empty.
        QTest::newRow("empty port") << QStringList{"--acquire", "tds", "--port", ""};
        QTest::newRow("blank port") << QStringList{"--acquire", "tds", "--port", " \t"};
        QTest::newRow("no time-out")
            << QStringList{"--acquire", "tds", "--port", "COM1", "--timeout", "0"};
        QTest::newRow("time-out not a number")
            << QStringList{"--acquire", "tds", "--port", "COM1", "--timeout", "1 min"};
    }
    void wrongArguments() {
        QFETCH(QStringList, arguments);
        const ProcessResult run = RunLineatix(arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(Text(run.err).contains(QStringLiteral("Usage: lineatix --acquire tds")));
    }

    // The window's --com1 and --com2 take a device path each. Qt may say
    // things of its own on standard error first (here, without a runtime
    // folder): the program's line is looked for among the others.
    void aComOptionNeedsItsPath() {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        const ProcessResult run = RunLineatix({"--com2"});
        if (!runtime.isEmpty()) qputenv("XDG_RUNTIME_DIR", runtime);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(Text(run.err).section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("lineatix: --com2 attend PATH"));
    }

  private:
    QTemporaryDir m_config;
};

QTEST_GUILESS_MAIN(TestAcquireTds)
#include "tst_acquiretds.moc"
