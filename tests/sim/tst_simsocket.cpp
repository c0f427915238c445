// Every simulator on a loopback socket (--tcp), and the SCPI oscilloscopes
// read the way their guides describe: the settings around the waveform, the
// preamble, the memory in reads of STARt..STOP, the screen record, the error
// queue; and the GDS-820C's block laid out as the instrument sends it.

#include <QTest>
#include <arpa/inet.h>
#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "instruments/leuze/leuzelink.h"
#include "ptysupport.h"
#include "testsupport.h"

namespace {

// A client of the simulator's socket.
class CClient {
  public:
    explicit CClient(int port) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(std::uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~CClient() {
        if (m_fd >= 0) close(m_fd);
    }
    bool IsOpen() const { return m_fd >= 0; }
    void Send(const QByteArray& bytes) { (void)!write(m_fd, bytes.constData(), bytes.size()); }

    // Reads until `complete` says the bytes are whole, or 5 s pass.
    QByteArray ReadUntil(const std::function<bool(const QByteArray&)>& complete) {
        QByteArray bytes;
        QDeadlineTimer deadline(5000);
        while (!complete(bytes) && !deadline.hasExpired()) {
            pollfd fd = {m_fd, POLLIN, 0};
            if (poll(&fd, 1, 50) <= 0) continue;
            char buffer[65536];
            const ssize_t n = read(m_fd, buffer, sizeof buffer);
            if (n <= 0) break;
            bytes.append(buffer, n);
        }
        return bytes;
    }
    QByteArray Line(const QByteArray& command) {
        Send(command + '\n');
        return ReadUntil([](const QByteArray& b) { return b.endsWith('\n'); }).trimmed();
    }
    // A definite-length block's bytes (and whether `lineEnd` followed it).
    QByteArray Block(const QByteArray& command, bool lineEnd = true, bool* whole = nullptr) {
        Send(command + '\n');
        qsizetype length = -1, start = 0;
        const QByteArray reply = ReadUntil([&](const QByteArray& b) {
            if (b.size() < 2) return false;
            const int digits = b[1] - '0';
            if (b.size() < 2 + digits) return false;
            start = 2 + digits;
            length = b.mid(2, digits).toLongLong();
            return b.size() >= start + length + (lineEnd ? 1 : 0);
        });
        if (whole)
            *whole = length >= 0 && reply.size() == start + length + (lineEnd ? 1 : 0) &&
                     (!lineEnd || reply.endsWith('\n'));
        return length < 0 ? QByteArray() : reply.mid(start, length);
    }

  private:
    int m_fd = -1;
};

int PortOf(const SimulatorProcess& sim) {
    const QString address = sim.devicePath;
    if (!address.startsWith(QLatin1String("127.0.0.1:"))) return -1;
    return address.mid(10).toInt();
}

// The comma-separated fields of a preamble, as numbers.
QList<double> Fields(const QByteArray& line) {
    QList<double> fields;
    for (const QByteArray& field : line.split(','))
        fields << field.toDouble();
    return fields;
}

// Crossings of a threshold, with hysteresis so that noise is not counted.
int Transitions(const QList<double>& volts, double low, double high) {
    int count = 0, state = -1;
    for (const double v : volts) {
        const int now = v > high ? 1 : v < low ? 0 : state;
        if (state >= 0 && now != state) ++count;
        state = now;
    }
    return count;
}

// The share of points near a level.
double ShareNear(const QList<double>& volts, double level, double tolerance) {
    qsizetype near = 0;
    for (const double v : volts)
        near += std::fabs(v - level) < tolerance ? 1 : 0;
    return volts.isEmpty() ? 0 : double(near) / double(volts.size());
}

// EAN-13: 30 bars, each crossed up and down.
constexpr int kEdges = 60;

} // namespace

class TestSimSocket : public QObject {
    Q_OBJECT

  private slots:
    void everySimulatorServesASocket_data() {
        QTest::addColumn<QString>("instrument");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("identity");
        QTest::newRow("tds") << "tds" << QByteArray("ID?") << QByteArray("ID TEK/TDS 340A");
        QTest::newRow("gds") << "gds" << QByteArray("*idn?") << QByteArray("GW,GDS-820C,");
        QTest::newRow("leuze") << "leuze" << QByteArray("V") << QByteArray("");
        QTest::newRow("rigol") << "rigol" << QByteArray("*IDN?")
                               << QByteArray("RIGOL TECHNOLOGIES,DS1104Z,");
        QTest::newRow("keysight") << "keysight" << QByteArray("*IDN?")
                                  << QByteArray("KEYSIGHT TECHNOLOGIES,DSO-X 1204G,");
    }
    void everySimulatorServesASocket() {
        QFETCH(QString, instrument);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, identity);
        auto sim = StartSimulator(instrument, {"--tcp", "0"});
        const int port = PortOf(*sim);
        QVERIFY2(port > 0, qPrintable(sim->devicePath));
        const auto identify = [&](CClient& client) {
            if (instrument == QLatin1String("leuze")) {
                // The reader answers V with a framed version text.
                client.Send(LeuzeCommand(QStringLiteral("V")));
                return client.ReadUntil([](const QByteArray& b) { return b.contains("BCL32"); })
                    .contains("BCL32");
            }
            return client.Line(command).startsWith(identity);
        };
        {
            CClient first(port);
            QVERIFY(first.IsOpen());
            QVERIFY(identify(first));
            first.Send("half a comm"); // left unfinished by a client that goes
        }
        CClient second(port); // served once the first has left
        QVERIFY(second.IsOpen());
        QVERIFY(identify(second));

        sim->process->terminate();
        QVERIFY(sim->process->waitForFinished(5000));
        QCOMPARE(sim->process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim->process->exitCode(), 0);
    }

    // A second client waits until the first leaves, then is answered.
    void oneClientAtATime() {
        auto sim = StartSimulator(QStringLiteral("rigol"), {"--tcp", "0"});
        auto first = std::make_unique<CClient>(PortOf(*sim));
        QCOMPARE(first->Line("*OPC?"), QByteArray("1"));
        CClient second(PortOf(*sim)); // accepted by the system, waiting in the backlog
        QVERIFY(second.IsOpen());
        second.Send("*IDN?\n");
        QTest::qWait(200);
        QCOMPARE(first->Line(":CHAN1:DISP?"), QByteArray("1"));
        first.reset();
        QVERIFY(second.ReadUntil([](const QByteArray& b) { return b.endsWith('\n'); })
                    .startsWith("RIGOL TECHNOLOGIES,DS1104Z"));
    }

    void badPortsAreRefused_data() {
        QTest::addColumn<QString>("port");
        QTest::newRow("too high") << "65536";
        QTest::newRow("negative") << "-1";
        QTest::newRow("not a number") << "any";
    }
    void badPortsAreRefused() {
        QFETCH(QString, port);
        for (const char* instrument : {"tds", "gds", "leuze", "rigol", "keysight"}) {
            const ProcessResult run = RunProgram(qEnvironmentVariable("LINEATIX_SIM"),
                                                 {instrument, "--tcp", port}, QString(), 10000);
            QCOMPARE(run.exitCode, 1);
            QVERIFY(run.err.startsWith(QByteArray("Usage: lineatix-sim ") + instrument));
        }
    }

    // The GDS-820C's block: '#', 4, the length, the sample rate as a
    // big-endian float, the channel, three reserved bytes, big-endian words.
    void gdsBlockAsTheInstrumentSendsIt() {
        auto sim = StartSimulator(QStringLiteral("gds"), {"--tcp", "0"});
        CClient client(PortOf(*sim));
        QVERIFY(client.IsOpen());
        QCOMPARE(client.Line(":TIMebase:SCALe?"), QByteArray("500us"));
        QCOMPARE(client.Line(":chan2:scal?"), QByteArray("1.00V"));
        for (const QByteArray command : {QByteArray(":acq2:mem?"), QByteArray(":ACQuire2:POINt")}) {
            bool whole = false;
            const QByteArray block = client.Block(command, false, &whole);
            QVERIFY(whole);
            QCOMPARE(block.size(), 8 + 2 * 4001);
            const quint32 bits = (quint32(quint8(block[0])) << 24) |
                                 (quint32(quint8(block[1])) << 16) |
                                 (quint32(quint8(block[2])) << 8) | quint32(quint8(block[3]));
            float rate = 0;
            std::memcpy(&rate, &bits, sizeof rate);
            QCOMPARE(rate, 50000.0f);
            QCOMPARE(block.mid(4, 4), QByteArray("\x02\0\0\0", 4));
            QList<double> bigEndian, pairedOneByteOff;
            for (qsizetype i = 8; i + 1 < block.size(); i += 2)
                bigEndian << double(qint16((quint8(block[i]) << 8) | quint8(block[i + 1])));
            // The acquisition's reading: nine bytes skipped, byte pairs summed.
            for (qsizetype i = 9; i + 1 < block.size(); i += 2)
                pairedOneByteOff << double(quint8(block[i]) + quint8(block[i + 1]));
            QCOMPARE(pairedOneByteOff, bigEndian.mid(0, 4000));
            QCOMPARE(Transitions(bigEndian, 40, 70), kEdges);
        }
        QCOMPARE(client.Line(":SYST:ERR?"), QByteArray("0,\"No error\""));
    }

    // The program's sequence for a Rigol: display, state, stop, then per
    // channel the source, RAW, BYTE, the preamble and reads of STARt..STOP.
    void rigolMemoryInReads() {
        auto sim = StartSimulator(QStringLiteral("rigol"),
                                  {"--tcp", "0", "--depth", "600000", "--channel-off", "2"});
        CClient client(PortOf(*sim));
        QVERIFY(client.IsOpen());
        QCOMPARE(client.Line(":CHAN1:DISP?"), QByteArray("1"));
        QCOMPARE(client.Line(":CHAN2:DISP?"), QByteArray("0"));
        QCOMPARE(client.Line(":TRIG:STAT?"), QByteArray("TD"));
        client.Send(":STOP\n");
        QCOMPARE(client.Line(":TRIGger:STATus?"), QByteArray("STOP"));
        client.Send(":WAV:SOUR CHAN1\n:WAV:MODE RAW\n:WAV:FORM BYTE\n");
        const QList<double> preamble = Fields(client.Line(":WAV:PRE?"));
        QCOMPARE(preamble.size(), 10);
        QCOMPARE(preamble[0], 0.0); // BYTE
        QCOMPARE(preamble[1], 2.0); // RAW
        QCOMPARE(preamble[2], 600000.0);
        const double yIncrement = preamble[7], yOrigin = preamble[8], yReference = preamble[9];
        QCOMPARE(client.Line(":WAV:YINC?").toDouble(), yIncrement);
        QCOMPARE(client.Line(":WAV:YOR?").toDouble(), yOrigin);
        QCOMPARE(client.Line(":WAV:YREF?").toDouble(), yReference);
        QCOMPARE(client.Line(":WAV:XINC?").toDouble() * 600000, 12 * 1e-3); // 12 divisions

        QByteArray memory;
        for (int first = 1; first <= 600000; first += 250000) {
            const int last = std::min(first + 249999, 600000);
            client.Send(QByteArray(":WAV:STAR ") + QByteArray::number(first) + "\n:WAV:STOP " +
                        QByteArray::number(last) + '\n');
            bool whole = false;
            const QByteArray block = client.Block(":WAV:DATA?", true, &whole);
            QVERIFY(whole);
            QCOMPARE(block.size(), last - first + 1);
            memory += block;
        }
        QList<double> volts;
        for (qsizetype i = 0; i < memory.size(); i += 60) // thinned, as the program does
            volts << (quint8(memory[i]) - yOrigin - yReference) * yIncrement;
        QCOMPARE(Transitions(volts, 1.5, 2.9), kEdges);
        QVERIFY(ShareNear(volts, 0.4, 0.2) > 0.3);
        QVERIFY(ShareNear(volts, 4.0, 0.2) > 0.2);

        // The screen: 1200 points of the same scan.
        client.Send(":WAV:MODE NORM;:WAV:STAR 1;:WAV:STOP 1200\n");
        QCOMPARE(Fields(client.Line(":WAV:PRE?")).value(2), 1200.0);
        const QByteArray screen = client.Block(":WAV:DATA?");
        QCOMPARE(screen.size(), 1200);
        QList<double> screenVolts;
        for (const char b : screen)
            screenVolts << (quint8(b) - yOrigin - yReference) * yIncrement;
        QCOMPARE(Transitions(screenVolts, 1.5, 2.9), kEdges);
        QCOMPARE(client.Line(":SYST:ERR?"), QByteArray("0,\"No error\""));

        // Too much in one read, and a channel that is off: an empty block
        // and an error each.
        client.Send(":WAV:MODE RAW;STAR 1;STOP 250001\n");
        QCOMPARE(client.Block(":WAV:DATA?"), QByteArray());
        client.Send(":WAV:SOUR CHAN2;:WAV:STOP 10\n");
        QCOMPARE(client.Block(":WAV:DATA?"), QByteArray());
        QCOMPARE(client.Line(":SYST:ERR?"), QByteArray("-222,\"Data out of range\""));
        QCOMPARE(client.Line(":SYST:ERR?"), QByteArray("-221,\"Settings conflict\""));
        QCOMPARE(client.Line("*ESR?"), QByteArray("16"));
        client.Send(":RUN\n");
        QCOMPARE(client.Line(":TRIG:STAT?"), QByteArray("TD"));
    }

    // The program's sequence for a Keysight: the run state, stop, then per
    // channel BYTE, unsigned, RAW points, the preamble and one block.
    void keysightPointsAsked() {
        auto sim = StartSimulator(QStringLiteral("keysight"), {"--tcp", "0"});
        CClient client(PortOf(*sim));
        QVERIFY(client.IsOpen());
        QCOMPARE(client.Line(":CHAN2:DISP?"), QByteArray("1"));
        QCOMPARE(client.Line(":RST?"), QByteArray("RUN"));
        client.Send(":STOP\n");
        QCOMPARE(client.Line(":RSTate?"), QByteArray("STOP"));
        QList<double> traces[2];
        for (int channel = 1; channel <= 2; ++channel) {
            client.Send(":WAV:SOUR CHAN" + QByteArray::number(channel) +
                        "\n:WAV:FORM BYTE\n:WAV:UNS ON\n:WAV:POIN:MODE RAW\n:WAV:POIN 5000\n");
            const QList<double> preamble = Fields(client.Line(":WAV:PRE?"));
            QCOMPARE(preamble.size(), 10);
            QCOMPARE(preamble[0], 0.0);
            QCOMPARE(preamble[2], 5000.0);
            bool whole = false;
            const QByteArray block = client.Block(":WAV:DATA?", true, &whole);
            QVERIFY(whole);
            QCOMPARE(block.size(), 5000);
            for (const char b : block)
                traces[channel - 1] << (quint8(b) - preamble[9]) * preamble[7] + preamble[8];
            QCOMPARE(Transitions(traces[channel - 1], 1.5, 2.9), kEdges);
            QVERIFY(ShareNear(traces[channel - 1], 0.4, 0.2) > 0.2);
            QVERIFY(ShareNear(traces[channel - 1], 4.0, 0.2) > 0.2);
        }
        // Without --code2, channel 2 is channel 1 inverted.
        QVERIFY(std::fabs(traces[0][2500] + traces[1][2500] - 4.4) < 0.3);
        // More points than the memory holds give the memory.
        client.Send(":WAV:POIN 100000\n");
        QCOMPARE(Fields(client.Line(":WAV:PRE?")).value(2), 62500.0);
        QCOMPARE(client.Line(":SYST:ERR?"), QByteArray("0,\"No error\""));
        client.Send(":WAV:POIN:MODE SIDEWAYS\n");
        QCOMPARE(client.Line(":SYST:ERR?"), QByteArray("-224,\"Illegal parameter value\""));
    }

    // WORD, ASCii and signed data, read with their own preamble, give the
    // volts the BYTE data give.
    void formatsAgree_data() {
        QTest::addColumn<QString>("instrument");
        QTest::addColumn<QByteArray>("setup");
        QTest::newRow("rigol word") << "rigol" << QByteArray(":WAV:FORM WORD");
        QTest::newRow("rigol ascii") << "rigol" << QByteArray(":WAV:FORM ASC");
        QTest::newRow("keysight word msbf") << "keysight" << QByteArray(":WAV:FORM WORD");
        QTest::newRow("keysight word lsbf") << "keysight" << QByteArray(":WAV:FORM WORD;BYT LSBF");
        QTest::newRow("keysight signed byte") << "keysight" << QByteArray(":WAV:UNS OFF");
        QTest::newRow("keysight signed word") << "keysight" << QByteArray(":WAV:UNS OFF;FORM WORD");
        QTest::newRow("keysight ascii") << "keysight" << QByteArray(":WAV:FORM ASCii");
    }
    void formatsAgree() {
        QFETCH(QString, instrument);
        QFETCH(QByteArray, setup);
        const bool rigol = instrument == QLatin1String("rigol");
        auto sim = StartSimulator(instrument, {"--tcp", "0"});
        CClient client(PortOf(*sim));
        QVERIFY(client.IsOpen());
        const auto volts = [&](const QByteArray& data, const QList<double>& p, bool signedData) {
            QList<double> values;
            if (p[0] == (rigol ? 2 : 4)) { // ASCii: the volts themselves
                for (const QByteArray& field : data.split(','))
                    values << field.toDouble();
                return values;
            }
            const bool word = p[0] == 1;
            const bool lsbFirst = rigol || setup.contains("LSBF");
            for (qsizetype i = 0; i + (word ? 1 : 0) < data.size(); i += word ? 2 : 1) {
                int count = quint8(data[i]);
                if (word) {
                    const int first = quint8(data[i]), second = quint8(data[i + 1]);
                    count = lsbFirst ? first | second << 8 : first << 8 | second;
                    if (signedData) count = qint16(count);
                } else if (signedData) {
                    count = qint8(count);
                }
                values << (rigol ? (count - p[8] - p[9]) * p[7] : (count - p[9]) * p[7] + p[8]);
            }
            return values;
        };
        client.Send(":STOP;:WAV:SOUR CHAN1;:WAV:FORM BYTE\n");
        const QList<double> reference =
            volts(client.Block(":WAV:DATA?"), Fields(client.Line(":WAV:PRE?")), false);
        QCOMPARE(reference.size(), rigol ? 1200 : 1000);
        client.Send(setup + '\n');
        const QList<double> preamble = Fields(client.Line(":WAV:PRE?"));
        const QList<double> read =
            volts(client.Block(":WAV:DATA?"), preamble, setup.contains("UNS OFF"));
        QCOMPARE(read.size(), reference.size());
        for (qsizetype i = 0; i < read.size(); ++i)
            QVERIFY2(
                std::fabs(read[i] - reference[i]) < 1e-4,
                qPrintable(
                    QStringLiteral("point %1: %2 for %3").arg(i).arg(read[i]).arg(reference[i])));
        QCOMPARE(client.Line(":SYST:ERR?"), QByteArray("0,\"No error\""));
    }
};

QTEST_GUILESS_MAIN(TestSimSocket)
#include "tst_simsocket.moc"
