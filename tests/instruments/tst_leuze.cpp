#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <random>

#include "code/code.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "faketransport.h"
#include "instruments/leuze/laser.h"
#include "instruments/leuze/leuzeconnection.h"
#include "instruments/leuze/leuzelink.h"
#include "instruments/leuze/leuzereading.h"
#include "instruments/leuze/simreader.h"
#include "instruments/serial/serialdevice.h"
#include "ptysupport.h"
#include "testsupport.h"

namespace {

const QString kCode = QStringLiteral("5410673004208");

// A frame as the reader sends it: STX, text, CR, LF.
QByteArray Frame(const QByteArray& text) {
    return "\x02" + text + "\r\n";
}

// Links on fake transports, one per port opened, kept for the test to feed.
struct FakePorts {
    QList<CFakeTransport*> opened; // in opening order
    QList<int> indices;
    LeuzeLinkFactory Factory() {
        return [this](int index) {
            auto transport = std::make_unique<CFakeTransport>();
            opened << transport.get();
            indices << index;
            return std::make_unique<CLeuzeLink>(index, std::move(transport));
        };
    }
    CFakeTransport* Last() const { return opened.last(); }
};

// What went over a fake transport, kept after the link destroyed it.
struct Wire {
    QStringList commands;
    bool closed = false;
};

class CLoggedTransport : public CFakeTransport {
  public:
    explicit CLoggedTransport(Wire* wire) : m_pWire(wire) {}
    bool Write(const QByteArray& data) override {
        const bool ok = CFakeTransport::Write(data);
        if (ok) m_pWire->commands << QString::fromLatin1(data);
        return ok;
    }
    void Close() override {
        CFakeTransport::Close();
        m_pWire->closed = true;
    }

  private:
    Wire* m_pWire;
};

std::unique_ptr<CLeuzeLink> FakeLink(CFakeTransport** transport, Wire* wire) {
    auto owned = std::make_unique<CLoggedTransport>(wire);
    *transport = owned.get();
    return std::make_unique<CLeuzeLink>(0, std::move(owned));
}

QStringList Commands(const CFakeTransport& transport) {
    QStringList commands;
    for (const QByteArray& data : transport.m_written)
        commands << QString::fromLatin1(data);
    return commands;
}

QString Command(const char* text) {
    return QString::fromLatin1(LeuzeCommand(QLatin1String(text)));
}

} // namespace

class TestLeuze : public QObject {
    Q_OBJECT
  private slots:
    void commandsAreFramed() {
        QCOMPARE(LeuzeCommand(QStringLiteral("V")), QByteArray("\x02V\r\n"));
        QCOMPARE(LeuzeCommand(QStringLiteral("CA+")), QByteArray("\x02"
                                                                 "CA+\r\n"));
    }

    void readFrame_data() {
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("left");
        const QString stx(QChar(2));
        QTest::newRow("one frame") << stx + "ABC\r\n"
                                   << "ABC"
                                   << "";
        QTest::newRow("a frame begun after it") << stx + "ABC\r\n" + stx + "D"
                                                << "ABC" << stx + "D";
        QTest::newRow("3 characters") << stx + "\r\n"
                                      << "" << stx + "\r\n";
        QTest::newRow("2 characters") << stx + "\n"
                                      << "" << stx + "\n";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("no STX") << "ABC\r\nDEF\r\n"
                                << ""
                                << "ABC\r\nDEF\r\n";
        QTest::newRow("no LF yet") << stx + "ABCD\r"
                                   << "" << stx + "ABCD\r";
        QTest::newRow("noise before the STX") << "xy" + stx + "ABC\r\nz"
                                              << "ABC"
                                              << "z";
        QTest::newRow("LF right after the STX") << "abc" + stx + "\n"
                                                << ""
                                                << "";
        QTest::newRow("no CR: the last character is lost") << stx + "ABC\n"
                                                           << "AB"
                                                           << "";
        QTest::newRow("LF before the STX is not the end") << "\n" + stx + "AB\r\n"
                                                          << "AB"
                                                          << "";
    }
    void readFrame() {
        QFETCH(QString, buffer);
        QFETCH(QString, frame);
        QFETCH(QString, left);
        QCOMPARE(TakeLeuzeFrame(&buffer), frame);
        QCOMPARE(buffer, left);
    }

    // Frames cut, spliced and corrupted at random: the reader of frames
    // never reads outside its buffer and always makes progress or stops.
    void readFrameSurvivesMutations() {
        std::mt19937 random(20240311);
        const QByteArray good = Frame("00EAN 5410673004208") + Frame("BCL32 V1.10") + Frame("X");
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes = good;
            std::uniform_int_distribution<int> kind(0, 3);
            const int edits = 1 + int(random() % 6);
            for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
                const int at = int(random() % bytes.size());
                switch (kind(random)) {
                case 0:
                    bytes.truncate(at);
                    break;
                case 1:
                    bytes.remove(at, 1 + int(random() % 4));
                    break;
                case 2:
                    bytes[at] = char(random() % 256);
                    break;
                default:
                    bytes.insert(at, good.mid(int(random() % good.size()), 5));
                    break;
                }
            }
            QString buffer = QString::fromLatin1(bytes);
            for (int guard = 0; guard <= bytes.size() + 1; ++guard) {
                const int before = buffer.size();
                const QString frame = TakeLeuzeFrame(&buffer);
                QVERIFY(buffer.size() <= before);
                if (!frame.isEmpty()) QVERIFY(frame.size() + buffer.size() < before);
                if (buffer.size() == before) break;
            }
        }
    }

    // The simulated reader takes whatever the program sends, in pieces.
    void simulatedReaderSurvivesMutations() {
        std::mt19937 random(977);
        const QByteArray good =
            LeuzeCommand(QStringLiteral("V")) + LeuzeCommand(QStringLiteral("CA+")) +
            LeuzeCommand(QStringLiteral("DL+")) + LeuzeCommand(QStringLiteral("H"));
        CSimLeuzeReader reader({}, 10, 5);
        std::int64_t now = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = good;
            for (int e = 0; e < 3; ++e) {
                const int at = int(random() % bytes.size());
                if (random() % 2)
                    bytes[at] = char(random() % 256);
                else
                    bytes.remove(at, 1 + int(random() % 3));
                if (bytes.isEmpty()) break;
            }
            const int cut = bytes.isEmpty() ? 0 : int(random() % bytes.size());
            const QByteArray answer = reader.Receive(bytes.left(cut), now) +
                                      reader.Receive(bytes.mid(cut), now) + reader.Tick(now += 7);
            QVERIFY(answer.isEmpty() || answer.startsWith('\x02'));
        }
    }

    void testReportsAfterNineTicks() {
        FakePorts ports;
        CLeuzeConnection connection(1, ports.Factory());
        QCOMPARE(ports.indices, QList<int>{1});
        QCOMPARE(connection.m_strMessage,
                 QStringLiteral("Cliquer sur Tester pour demander la version de l'appareil..."));
        connection.Test();
        QCOMPARE(Commands(*ports.Last()), QStringList{Command("V")});
        QVERIFY(!connection.m_bTestEnabled);
        ports.Last()->Receive(Frame("BCL32 V1.10"));
        for (int tick = 1; tick <= 8; ++tick)
            connection.OnTick();
        QVERIFY(!connection.m_bTestEnabled);
        connection.OnTick();
        QVERIFY(connection.m_bTestEnabled);
        QVERIFY(!connection.TimerRunning());
        QCOMPARE(connection.m_strMessage, QStringLiteral("Identification:\nBCL32 V1.10"));

        connection.Test();
        for (int tick = 1; tick <= 9; ++tick)
            connection.OnTick();
        QCOMPARE(connection.m_strMessage,
                 QStringLiteral("Erreur de lecture sur COM2:9600,8,'N',1."));
    }

    // The tick count is not reset: a test already done reports on the new
    // port at the next tick.
    void portSwitchAfterATestReportsAtTheNextTick() {
        FakePorts ports;
        CLeuzeConnection connection(0, ports.Factory());
        connection.Test();
        for (int tick = 1; tick <= 9; ++tick)
            connection.OnTick();
        QCOMPARE(connection.m_strMessage,
                 QStringLiteral("Erreur de lecture sur COM1:9600,8,'N',1."));
        connection.SelectPort(1); // the first link is gone with its port
        QCOMPARE(ports.indices, (QList<int>{0, 1}));
        QVERIFY(connection.TimerRunning());
        ports.Last()->Receive(Frame("BCL32 COM2"));
        connection.OnTick();
        QCOMPARE(connection.m_strMessage, QStringLiteral("Identification:\nBCL32 COM2"));
        QCOMPARE(connection.Close(), 1);
    }

    void laserOnAndOff() {
        CFakeTransport* transport = nullptr;
        Wire wire;
        CLaserControl laser(FakeLink(&transport, &wire));
        QCOMPARE(laser.m_strMessage, QStringLiteral("Cliquer sur Démarrer..."));
        QCOMPARE(laser.ButtonCaption(), QStringLiteral("&Démarrer"));
        laser.Toggle();
        QCOMPARE(Commands(*transport), (QStringList{Command("CA+"), Command("DL+")}));
        QCOMPARE(laser.m_strMessage, QStringLiteral("Faisceau présent..."));
        QCOMPARE(laser.ButtonCaption(), QStringLiteral("&Arrêter"));
        QVERIFY(!laser.m_bCloseEnabled);
        laser.Toggle();
        QCOMPARE(Commands(*transport).last(), Command("H"));
        QCOMPARE(laser.m_strMessage, QStringLiteral("Faisceau arrêté !"));
        QVERIFY(laser.m_bCloseEnabled);
        const int sent = wire.commands.size();
        laser.Close(); // beam off: nothing to send
        QCOMPARE(wire.commands.size(), sent);
        QVERIFY(wire.closed);
    }

    // A beam left on is a hazard: closing switches it off.
    void closingTheLaserSwitchesTheBeamOff() {
        CFakeTransport* transport = nullptr;
        Wire wire;
        CLaserControl laser(FakeLink(&transport, &wire));
        laser.Toggle();
        laser.Close();
        QCOMPARE(wire.commands.last(), Command("H"));
        QVERIFY(wire.closed);
    }

    void lostPortEndsTheBeam() {
        CFakeTransport* transport = nullptr;
        Wire wire;
        CLaserControl laser(FakeLink(&transport, &wire));
        laser.Toggle();
        transport->Unplug();
        QVERIFY(laser.m_bCloseEnabled);
        QCOMPARE(laser.ButtonCaption(), QStringLiteral("&Démarrer"));
        QVERIFY(
            laser.m_strMessage.startsWith(QStringLiteral("Erreur de connexion au port COM1 !")));
        laser.Close();
    }

    void readingACode() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nDisplay = 1;
        const QString before = doc.m_strCode;
        CFakeTransport* transport = nullptr;
        Wire wire;
        CLeuzeReading reading(&doc, FakeLink(&transport, &wire));
        QCOMPARE(reading.m_strMessage, QStringLiteral("Cliquer sur Lire..."));
        transport->Receive("stale");
        reading.Toggle();
        QCOMPARE(Commands(*transport), (QStringList{Command("CA+"), Command("DL+")}));
        QVERIFY(reading.m_pLink->Buffer().isEmpty());
        QCOMPARE(reading.ButtonCaption(), QStringLiteral("&Arrêter"));
        QVERIFY(!reading.m_bCloseEnabled);
        reading.OnTick();
        reading.OnTick();
        QCOMPARE(reading.m_strMessage, QStringLiteral("Attente code (2) ..."));
        // A frame shorter than 19 characters is no code.
        transport->Receive(Frame("012345678901234567"));
        reading.OnTick();
        QCOMPARE(reading.m_strMessage, QStringLiteral("Attente code (3) ..."));

        // 19 characters: the code is the last 13.
        transport->Receive(Frame("00EAN 5410673004208") + Frame("00EAN 1111111111116"));
        transport->m_written.clear();
        reading.OnTick();
        QCOMPARE(reading.m_strLastCode, kCode);
        QCOMPARE(reading.m_strMessage, QStringLiteral("Code lu: 5410673004208"));
        QVERIFY(reading.m_pLink->Buffer().isEmpty());
        // The restart: "H" now, then "CA+" and "DL+", each 300 ms after the last.
        QCOMPARE(Commands(*transport), QStringList{Command("H")});
        QVERIFY(reading.Restarting());
        reading.OnTick(); // skipped while busy
        QCOMPARE(reading.m_nTicks, std::int16_t(4));
        reading.OnPauseOver();
        QCOMPARE(Commands(*transport), (QStringList{Command("H"), Command("CA+")}));
        reading.OnPauseOver();
        QCOMPARE(Commands(*transport), (QStringList{Command("H"), Command("CA+"), Command("DL+")}));
        QVERIFY(reading.m_bBusy);
        reading.OnPauseOver();
        QVERIFY(!reading.m_bBusy);
        QCOMPARE(reading.m_nTicks, std::int16_t(0));
        QCOMPARE(reading.m_strMessage, QStringLiteral("Code lu: 5410673004208"));

        transport->Receive(Frame("00EAN 1111111111116"));
        reading.OnTick();
        QCOMPARE(reading.m_strLastCode, QStringLiteral("1111111111116"));
        QCOMPARE(doc.m_strCode, before); // the document waits for "&Arrêter"
        // "&Arrêter" during the restart: the beam stays off.
        transport->m_written.clear();
        reading.Toggle();
        QCOMPARE(Commands(*transport), QStringList{Command("H")});
        QVERIFY(!reading.Restarting());
        reading.OnPauseOver();
        QCOMPARE(Commands(*transport), QStringList{Command("H")});
        QCOMPARE(reading.m_strMessage, QStringLiteral("Laser coupé..."));
        QCOMPARE(doc.m_strCode, QStringLiteral("1111111111116"));
        QCOMPARE(doc.m_nDisplay, std::int16_t(0));
        QVERIFY(reading.m_bCloseEnabled);
        QCOMPARE(reading.ButtonCaption(), QStringLiteral("&Lire"));
    }

    void stoppingBeforeAnyCodeStoresNothing() {
        CZbApp app;
        CZbDoc doc(&app);
        CFakeTransport* transport = nullptr;
        Wire wire;
        CLeuzeReading reading(&doc, FakeLink(&transport, &wire));
        reading.Toggle();
        reading.OnTick();
        reading.Toggle();
        QCOMPARE(doc.m_strCode, QString());
    }

    // Closed in any way while reading, the reading stops as "&Arrêter" stops it.
    void closingWhileReadingStops() {
        CZbApp app;
        CZbDoc doc(&app);
        CFakeTransport* transport = nullptr;
        Wire wire;
        auto reading = std::make_unique<CLeuzeReading>(&doc, FakeLink(&transport, &wire));
        reading->Toggle();
        transport->Receive(Frame("00EAN 5410673004208"));
        reading->OnTick();
        reading->Close();
        QCOMPARE(wire.commands.last(), Command("H"));
        QCOMPARE(doc.m_strCode, kCode);
        QVERIFY(wire.closed);
    }

    // The port goes away while reading: the reading ends, and a code read
    // just before stays in the document, shown on the code sheet.
    void lostPortEndsTheReading_data() {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QString>("code");
        QTest::addColumn<std::int16_t>("display");
        QTest::newRow("nothing read") << QByteArray() << "0000000000000" << std::int16_t(1);
        QTest::newRow("a code read just before")
            << Frame("00EAN 5410673004208") << QString(kCode) << std::int16_t(0);
    }
    void lostPortEndsTheReading() {
        QFETCH(QByteArray, received);
        QFETCH(QString, code);
        QFETCH(std::int16_t, display);
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCode = QStringLiteral("0000000000000");
        doc.m_nDisplay = 1;
        CFakeTransport* transport = nullptr;
        Wire wire;
        CLeuzeReading reading(&doc, FakeLink(&transport, &wire));
        QSignalSpy redraws(&reading, &CLeuzeReading::redrawRequested);
        reading.Toggle();
        if (!received.isEmpty()) {
            transport->Receive(received);
            reading.OnTick();
            QCOMPARE(reading.m_strLastCode, kCode);
        }
        transport->Unplug();
        QVERIFY(!reading.m_bReading);
        QVERIFY(reading.m_bCloseEnabled);
        QVERIFY(
            reading.m_strMessage.startsWith(QStringLiteral("Erreur de connexion au port COM1 !")));
        QCOMPARE(doc.m_strCode, code);
        QCOMPARE(doc.m_nDisplay, display);
        QCOMPARE(redraws.count(), received.isEmpty() ? 0 : 1);
        reading.OnTick();
        reading.OnPauseOver(); // the restart the code began goes no further
        QCOMPARE(doc.m_strCode, code);
        reading.Close();
    }

    void simulatedReaderFrames() {
        CSimLeuzeReader reader({kCode}, 100, 1);
        QCOMPARE(reader.Receive(LeuzeCommand(QStringLiteral("V")), 0),
                 Frame(CSimLeuzeReader::kVersion));
        QVERIFY(reader.Tick(1000).isEmpty());
        // The command may come in pieces.
        reader.Receive("\x02"
                       "CA",
                       0);
        reader.Receive("+\r\n" + LeuzeCommand(QStringLiteral("DL+")), 0);
        QVERIFY(reader.BeamOn());
        QVERIFY(reader.Tick(10).isEmpty());
        const QByteArray frame = reader.Tick(60);
        QCOMPARE(frame, Frame("00EAN 5410673004208"));
        QVERIFY(reader.Tick(100).isEmpty());
        QCOMPARE(reader.Tick(160), frame);
        reader.Receive(LeuzeCommand(QStringLiteral("H")), 200);
        QVERIFY(reader.Tick(10000).isEmpty());
        // Without codes given, random valid ones.
        CSimLeuzeReader random({}, 100, 7);
        const QString code = random.RandomCode();
        QCOMPARE(code.size(), 13);
        QCOMPARE(code.at(12).digitValue(), int(CCode(nullptr).CheckDigit(code)));
        QVERIFY(random.RandomCode() != code);
    }

    void simulatedReaderOnAPty() {
        auto simulator = StartSimulator(
            QStringLiteral("leuze"),
            {QStringLiteral("--code"), kCode, QStringLiteral("--interval"), QStringLiteral("200")});
        QVERIFY(!simulator->devicePath.isEmpty());
        const QString path = simulator->devicePath;
        auto open = [path](int index) {
            QString reason;
            auto transport = OpenSerialDevice(path, &reason);
            return std::make_unique<CLeuzeLink>(index, std::move(transport), reason);
        };
        {
            CLeuzeConnection connection(0, open);
            connection.Test();
            QTRY_VERIFY_WITH_TIMEOUT(connection.m_bTestEnabled, 5000);
            QCOMPARE(connection.m_strMessage,
                     QStringLiteral("Identification:\n") + CSimLeuzeReader::kVersion);
        }
        CZbApp app;
        CZbDoc doc(&app);
        CLeuzeReading reading(&doc, open(0));
        QSignalSpy codes(&reading, &CLeuzeReading::codeRead);
        reading.Toggle();
        QTRY_VERIFY_WITH_TIMEOUT(codes.count() >= 2, 10000); // the restart brought the beam back
        reading.Toggle();
        QCOMPARE(doc.m_strCode, kCode);
    }

    void batchReadsOneCode() {
        auto simulator = StartSimulator(
            QStringLiteral("leuze"),
            {QStringLiteral("--code"), kCode, QStringLiteral("--interval"), QStringLiteral("300")});
        QVERIFY(!simulator->devicePath.isEmpty());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("read.cod"));
        const ProcessResult result = RunLineatix(
            {QStringLiteral("--acquire"), QStringLiteral("leuze"), QStringLiteral("--port"),
             simulator->devicePath, QStringLiteral("--save"), path});
        QCOMPARE(result.exitCode, 0);
        const QString out = QString::fromLocal8Bit(result.out);
        QVERIFY2(out.contains(QStringLiteral("Cliquer sur Lire...\nAttente code (1) ...\n")),
                 qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("Code lu: 5410673004208\nLaser coupé...")));
        QCOMPARE(out.count(QStringLiteral("Attente code")), 1);
        CZbDoc doc(nullptr);
        QString error;
        QVERIFY(doc.Load(path, &error));
        QCOMPARE(doc.m_strCode, kCode);
        QCOMPARE(doc.m_nDisplay, std::int16_t(0));
    }

    void batchWithoutACodeStopsTheBeam() {
        auto simulator = StartSimulator(QStringLiteral("leuze"),
                                        {QStringLiteral("--interval"), QStringLiteral("100000")});
        QVERIFY(!simulator->devicePath.isEmpty());
        const ProcessResult result = RunLineatix(
            {QStringLiteral("--acquire"), QStringLiteral("leuze"), QStringLiteral("--port"),
             simulator->devicePath, QStringLiteral("--timeout"), QStringLiteral("0.5")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.contains("Laser coup"));
        QVERIFY(QString::fromLocal8Bit(result.err).contains(QStringLiteral("Aucun code lu")));
    }

    void batchPortErrors() {
        const ProcessResult missing =
            RunLineatix({QStringLiteral("--acquire"), QStringLiteral("leuze"),
                         QStringLiteral("--port"), QStringLiteral("/dev/lineatix-none")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(QString::fromLocal8Bit(missing.err).contains(QStringLiteral("n'existe pas")));
        QCOMPARE(RunLineatix({QStringLiteral("--acquire"), QStringLiteral("leuze")}).exitCode, 1);
        QCOMPARE(RunLineatix({QStringLiteral("--acquire"), QStringLiteral("leuze"),
                              QStringLiteral("--port"), QStringLiteral("COM1"),
                              QStringLiteral("--timeout"), QStringLiteral("x")})
                     .exitCode,
                 1);
        // An empty or blank path is no device: a usage error, never COM1's own.
        for (const QString& blank : {QString(), QStringLiteral(" ")}) {
            const ProcessResult run = RunLineatix(
                {QStringLiteral("--acquire"), QStringLiteral("leuze"), QStringLiteral("--port"),
                 blank, QStringLiteral("--timeout"), QStringLiteral("0.2")});
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains("\nUsage: lineatix --acquire leuze"), run.err.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestLeuze)
#include "tst_leuze.moc"
