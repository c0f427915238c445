// lineatix-sim gds: a GW Instek GDS-820C as the acquisition and other clients
// see it. It answers the identification, the five settings lines and, for each
// waveform request, one binary block holding the scan of an EAN-13 code;
// headers are read in long or short form in any case (":ACQ1:MEM?").

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>

#include "common/options.h"
#include "decode/scanmodel.h"
#include "sim/scpiparser.h"
#include "sim/siminstrument.h"

namespace {

// A block: 4001 samples, of which the acquisition's pairing (one byte off)
// keeps 4000 rows, within the program's 5000.
constexpr int kSamples = 4001;
constexpr double kTimebase = 500e-6; // seconds a division, answered as "500us"
constexpr double kSamplesPerDivision = 25;
constexpr double kLevelsPerDivision =
    25;                            // the program's 8 × 0.005 volts a level and a volt a division
constexpr double kScale = 1.0;     // volts a division, answered as "1.00V"
constexpr int kModuleSamples = 25; // samples a module of the code
constexpr int kMaxPauseMs = 900;   // pauses between pieces stay under a second
constexpr int kHighestLevel = 155; // the highest level a byte stands for in the acquisition

struct SimOptions {
    QString code[2] = {QStringLiteral("5410673004208"), QString()};
    bool off[2] = {false, false};
    int pieces = 1;
    int pauseMs = 300;
};

// The levels of a scan as the instrument's converter gives them, in its
// block: after the length an 8-byte header (the sample rate as a big-endian
// float, the channel, three reserved bytes), then a big-endian 16-bit word a
// sample. The levels stay within 0 to 155, so that the high byte is 0 and a
// reading that pairs each low byte with the next high byte (the acquisition
// skips nine bytes after the length) finds the same levels.
QByteArray WaveformBlock(const QString& code, int channel) {
    ScanParameters parameters;
    parameters.samplePeriod = kTimebase / kSamplesPerDivision;
    parameters.moduleTime = kModuleSamples * parameters.samplePeriod;
    parameters.riseTime = 2 * parameters.samplePeriod;
    parameters.noise = 0.03f;
    parameters.seed = 7u + std::uint32_t(channel);
    parameters.runUpTime = 200 * parameters.samplePeriod;
    const ScanTrace trace = MakeCodeScan(code, parameters);

    QByteArray block;
    const float sampleRate = float(kSamplesPerDivision / kTimebase);
    std::uint32_t rateBits = 0;
    std::memcpy(&rateBits, &sampleRate, sizeof rateBits);
    for (int shift = 24; shift >= 0; shift -= 8)
        block.append(char((rateBits >> shift) & 0xFF));
    block.append(char(channel));
    block.append(QByteArray(3, '\0'));
    for (int k = 0; k < kSamples; ++k) {
        const float volts =
            trace.value.empty()
                ? parameters.low
                : trace.value[size_t(std::min<int>(k, int(trace.value.size()) - 1))];
        const int level =
            std::clamp(int(std::lround(volts / kScale * kLevelsPerDivision)), 0, kHighestLevel);
        block.append(char(0));
        block.append(char(level));
    }
    return DefiniteBlock(block);
}

class CGdsSimulator : public CSimInstrument {
  public:
    explicit CGdsSimulator(const SimOptions& options)
        : m_options(options), m_parser("GW,GDS-820C,SIMULATED,V1.00", Rows()) {
        m_parser.SetBlockLineEnd(false);
    }

    QByteArray Receive(const QByteArray& bytes) override {
        // A block may go in pieces; later replies wait behind it.
        for (const ScpiMessage& message : m_parser.Receive(bytes))
            Queue(message.bytes, message.hasBlock ? m_options.pieces : 1);
        return QByteArray();
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

    void LinkClosed() override {
        m_parser.Drop();
        m_queue.clear();
    }

  private:
    struct Piece {
        std::int64_t atMs;
        QByteArray bytes;
    };

    void Queue(const QByteArray& reply, int pieces) {
        std::int64_t at = m_queue.empty() ? m_nowMs : m_queue.back().atMs;
        const int count = std::max(1, std::min<int>(pieces, int(reply.size())));
        const qsizetype size = (reply.size() + count - 1) / count;
        for (qsizetype from = 0; from < reply.size(); from += size) {
            m_queue.push_back({at, reply.mid(from, size)});
            at += m_options.pauseMs;
        }
    }

    // The channel a suffix names, or -1 (and the suffix error queued).
    static int Channel(const ScpiCall& call, int index = 0) {
        const int channel = call.Suffix(index);
        return channel == 1 || channel == 2 ? channel - 1 : -1;
    }

    ScpiReply Waveform(const ScpiCall& call) {
        const int channel = Channel(call);
        if (channel < 0) return ScpiReply::Error(-114);
        // A channel switched off sends nothing.
        if (m_options.off[channel]) return ScpiReply::Nothing();
        return ScpiReply::BlockOf(WaveformBlock(m_options.code[channel], channel + 1));
    }

    std::vector<ScpiRow> Rows() {
        const auto text = [](const char* reply) {
            return [reply](const ScpiCall&) { return ScpiReply::Of(reply); };
        };
        const auto setting = [](const ScpiCall& call) {
            return call.arguments.isEmpty() ? ScpiReply::Error(-109) : ScpiReply::Nothing();
        };
        const auto nothing = [](const ScpiCall&) { return ScpiReply::Nothing(); };
        return {
            {":TIMebase:SCALe?", text("500us")},
            {":CHANnel#:SCALe?",
             [](const ScpiCall& call) {
                 return Channel(call) < 0 ? ScpiReply::Error(-114) : ScpiReply::Of("1.00V");
             }},
            {":MEASure:SOURce",
             [this](const ScpiCall& call) {
                 const QByteArray source = call.Argument();
                 if (source != "1" && source != "2") return ScpiReply::Error(-224);
                 m_measured = source.toInt() - 1;
                 return ScpiReply::Nothing();
             }},
            {":MEASure:VMAX?",
             [this](const ScpiCall&) {
                 return ScpiReply::Of(m_options.off[m_measured] ? "chan off" : "4.08V");
             }},
            // POINt sends the channel's record although it is no query.
            {":ACQuire#:POINt", [this](const ScpiCall& call) { return Waveform(call); }},
            {":ACQuire#:MEMory?", [this](const ScpiCall& call) { return Waveform(call); }},
            {":ACQuire:LENGth", setting},
            {":TRIGger:MODe", setting},
            {":RUN", nothing},
            {":STOP", nothing},
        };
    }

    SimOptions m_options;
    CScpiParser m_parser;
    std::deque<Piece> m_queue;
    std::int64_t m_nowMs = 0;
    int m_measured = 0;
};

} // namespace

int RunGdsSimulator(const QStringList& arguments) {
    OptionRules rules;
    rules.valueOptions = {QStringLiteral("--code"),        QStringLiteral("--code2"),
                          QStringLiteral("--channel-off"), QStringLiteral("--pieces"),
                          QStringLiteral("--pause"),       QStringLiteral("--link"),
                          QStringLiteral("--tcp")};
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 0, rules, &parsed) || !ValidTcpOption(parsed)) return -1;
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
    return ServeSimulator(simulator, parsed);
}
