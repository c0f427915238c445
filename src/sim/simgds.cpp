// lineatix-sim gds: a GW Instek GDS-820C as the acquisition sees it. It
// answers the identification, the five settings lines and, for each waveform
// request, one binary block ('#', a digit N, N length digits, nine header
// bytes, two bytes a sample) holding the scan of an EAN-13 code.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>

#include "common/options.h"
#include "decode/scanmodel.h"
#include "sim/siminstrument.h"

namespace {

constexpr int kSamples = 4000;       // a block, within the program's 5000 rows
constexpr double kTimebase = 500e-6; // seconds a division, answered as "500us"
constexpr double kSamplesPerDivision = 25;
constexpr double kLevelsPerDivision =
    25;                            // the program's 8 × 0.005 volts a level and a volt a division
constexpr double kScale = 1.0;     // volts a division, answered as "1.00V"
constexpr int kModuleSamples = 25; // samples a module of the code
constexpr int kMaxPauseMs = 900;   // pauses between pieces stay under a second

struct SimOptions {
    QString code[2] = {QStringLiteral("5410673004208"), QString()};
    bool off[2] = {false, false};
    int pieces = 1;
    int pauseMs = 300;
    QString link;
};

// The levels of a scan as the instrument's converter gives them.
QByteArray WaveformBlock(const QString& code, int channel) {
    ScanParameters parameters;
    parameters.samplePeriod = kTimebase / kSamplesPerDivision;
    parameters.moduleTime = kModuleSamples * parameters.samplePeriod;
    parameters.riseTime = 2 * parameters.samplePeriod;
    parameters.noise = 0.03f;
    parameters.seed = 7u + std::uint32_t(channel);
    parameters.runUpTime = 200 * parameters.samplePeriod;
    const ScanTrace trace = MakeCodeScan(code, parameters);

    QByteArray samples;
    for (int k = 0; k < kSamples; ++k) {
        const float volts =
            trace.value.empty()
                ? parameters.low
                : trace.value[size_t(std::min<int>(k, int(trace.value.size()) - 1))];
        int level = int(std::lround(volts / kScale * kLevelsPerDivision));
        level = std::clamp(level, -100, 155);
        // The whole level in the second byte: the program reads each byte as
        // -100..155 and adds the two.
        samples.append(char(0));
        samples.append(char(level & 0xFF));
    }
    QByteArray header(9, '\0'); // sample interval and channel, which the program skips
    header[4] = char(channel);
    const QByteArray length = QByteArray::number(header.size() + samples.size());
    return QByteArray("#") + QByteArray::number(length.size()) + length + header + samples;
}

class CGdsSimulator : public CSimInstrument {
  public:
    explicit CGdsSimulator(const SimOptions& options) : m_options(options) {}

    QByteArray Receive(const QByteArray& bytes) override {
        m_line += bytes;
        QByteArray now;
        for (qsizetype end; (end = m_line.indexOf('\n')) >= 0;) {
            const QByteArray command = m_line.left(end).trimmed();
            m_line.remove(0, end + 1);
            Answer(command.toUpper());
        }
        return now;
    }

    QByteArray Tick(std::int64_t elapsedMs) override {
        m_nowMs = elapsedMs;
        QByteArray due;
        while (!m_queue.empty() && m_queue.front().atMs <= elapsedMs) {
            due += m_queue.front().bytes;
            m_queue.pop_front();
        }
        return due;
    }

  private:
    struct Piece {
        std::int64_t atMs;
        QByteArray bytes;
    };

    // Replies go out in order; a block in pieces keeps later replies waiting.
    void Queue(const QByteArray& reply, int pieces) {
        std::int64_t at = m_queue.empty() ? m_nowMs : m_queue.back().atMs;
        const int count = std::max(1, std::min<int>(pieces, int(reply.size())));
        const qsizetype size = (reply.size() + count - 1) / count;
        for (qsizetype from = 0; from < reply.size(); from += size) {
            m_queue.push_back({at, reply.mid(from, size)});
            at += m_options.pauseMs;
        }
    }

    void Answer(const QByteArray& command) {
        if (command == "*IDN?") {
            Queue("GW,GDS-820C,SIMULATED,V1.00\n", 1);
        } else if (command == ":TIMEBASE:SCALE?") {
            Queue("500us\n", 1);
        } else if (command == ":CHANNEL1:SCALE?" || command == ":CHANNEL2:SCALE?") {
            Queue("1.00V\n", 1);
        } else if (command.startsWith(":MEASURE:SOURCE ")) {
            m_measured = command.endsWith('2') ? 1 : 0;
        } else if (command == ":MEASURE:VMAX?") {
            Queue(m_options.off[m_measured] ? "chan off\n" : "4.08V\n", 1);
        } else if (command == ":ACQUIRE1:POINT" || command == ":ACQUIRE2:POINT" ||
                   command == ":ACQUIRE1:MEMORY?" || command == ":ACQUIRE2:MEMORY?") {
            const int channel = command.contains('2') ? 1 : 0;
            // A channel switched off sends nothing.
            if (!m_options.off[channel])
                Queue(WaveformBlock(m_options.code[channel], channel + 1), m_options.pieces);
        }
        // "*CLS" and ":ACQuire:LENGth 3" have no answer.
    }

    SimOptions m_options;
    QByteArray m_line;
    std::deque<Piece> m_queue;
    std::int64_t m_nowMs = 0;
    int m_measured = 0;
};

} // namespace

int RunGdsSimulator(const QStringList& arguments) {
    OptionRules rules;
    rules.valueOptions = {QStringLiteral("--code"),        QStringLiteral("--code2"),
                         QStringLiteral("--channel-off"), QStringLiteral("--pieces"),
                         QStringLiteral("--pause"),       QStringLiteral("--link")};
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 0, rules, &parsed)) return -1;
    SimOptions options;
    options.code[0] = parsed.Value(QStringLiteral("--code"), options.code[0]);
    options.code[1] = parsed.Value(QStringLiteral("--code2"), options.code[0]);
    for (const QString& off : parsed.values.value(QStringLiteral("--channel-off"))) {
        if (off != QLatin1String("1") && off != QLatin1String("2")) return -1;
        options.off[off.toInt() - 1] = true;
    }
    bool ok = true;
    options.pieces = parsed.Value(QStringLiteral("--pieces"), QStringLiteral("1")).toInt(&ok);
    if (!ok || options.pieces < 1) return -1;
    options.pauseMs = parsed.Value(QStringLiteral("--pause"), QStringLiteral("300")).toInt(&ok);
    if (!ok || options.pauseMs < 0 || options.pauseMs > kMaxPauseMs) return -1;
    for (const QString& code : options.code)
        if (Ean13Modules(code).isEmpty()) {
            std::fprintf(stderr, "Code EAN-13 de 13 chiffres attendu : %s\n", qPrintable(code));
            return 1;
        }
    CGdsSimulator simulator(options);
    return RunSimulator(simulator, parsed.Value(QStringLiteral("--link")));
}
