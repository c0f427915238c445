// lineatix-sim rigol and lineatix-sim keysight: a Rigol DS1104Z and a Keysight
// DSOX1204G as their programming guides describe them, on a socket or a
// pseudo-terminal. Channel 1 shows the scan of --code through the scan model,
// channel 2 that of --code2 or, without it, the inverted trace of --code;
// channels 3 and 4 are switched off. The scan fills the acquisition memory
// (--depth points); the waveform commands read it as the scopes do: the
// screen's 1200 points or the memory between :WAV:STAR and :WAV:STOP on the
// Rigol, the memory decimated to the points asked on the Keysight, as BYTE,
// WORD or ASCii data in a definite-length block.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/options.h"
#include "decode/scanmodel.h"
#include "sim/scpiparser.h"
#include "sim/siminstrument.h"

namespace {

enum class Dialect { Rigol, Keysight };

constexpr int kChannels = 4;
constexpr int kScanChannels = 2;     // the channels that show a scan
constexpr int kBaseSamples = 120000; // the scan's own resolution; deeper memories repeat samples
constexpr double kScanModules = 130; // the record's length in modules: run-up, quiet zones, code
constexpr double kRunUpModules = 4;
constexpr double kLevelsPerDivision = 25; // both scopes: 8 bits over about ten divisions

// Rigol DS1000Z: 12 horizontal divisions, 1200 points on the screen, at most
// 250000 BYTE points (125000 WORD, 15625 ASCii) a read, the 0 V level at 127
// when the offset is 0.
constexpr int kRigolDivisions = 12;
constexpr int kRigolScreenPoints = 1200;
constexpr long long kRigolReadLimit[3] = {250000, 125000, 15625};
constexpr int kRigolReference = 127;
constexpr long long kRigolDefaultDepth = 12000;
constexpr long long kRigolDepths[] = {12000, 120000, 1200000, 12000000, 24000000};

// Keysight 1000 X: 10 horizontal divisions, a 62500-point memory, 1000
// points until asked otherwise, unsigned bytes centred on 128.
constexpr int kKeysightDivisions = 10;
constexpr long long kKeysightDefaultDepth = 62500;
constexpr long long kKeysightDefaultPoints = 1000;
constexpr int kKeysightReference = 128;

constexpr long long kMinDepth = 1000;
constexpr long long kMaxDepth = 24000000;

const char* const kRigolIdentity = "RIGOL TECHNOLOGIES,DS1104Z,DS1ZA000000001,00.04.04.SP4";
const char* const kKeysightIdentity =
    "KEYSIGHT TECHNOLOGIES,DSO-X 1204G,CN00000001,02.10.2019111333";

enum Format { Byte, Word, Ascii };
enum PointsMode { Normal, Maximum, Raw };

struct ScopeOptions {
    Dialect dialect = Dialect::Rigol;
    QString code[kScanChannels] = {QStringLiteral("5410673004208"), QString()};
    bool off[kScanChannels] = {false, false};
    long long depth = 0;
};

// The scan of a code across the record, in volts, at the base resolution.
std::vector<float> ScanVolts(const QString& code, bool inverted, std::uint32_t seed) {
    ScanParameters parameters;
    parameters.samplePeriod = 1.0 / kBaseSamples; // the record is one time unit long here
    parameters.moduleTime = 1.0 / kScanModules;
    parameters.riseTime = parameters.moduleTime / 8;
    parameters.noise = 0.03f;
    parameters.seed = seed;
    parameters.runUpTime = kRunUpModules * parameters.moduleTime;
    const ScanTrace trace = MakeCodeScan(code, parameters);
    std::vector<float> volts(kBaseSamples, parameters.low);
    std::copy_n(trace.value.begin(), std::min<std::size_t>(trace.value.size(), kBaseSamples),
                volts.begin());
    if (inverted)
        for (float& v : volts)
            v = parameters.high + parameters.low - v;
    return volts;
}

class CScopeSimulator : public CSimInstrument {
  public:
    explicit CScopeSimulator(const ScopeOptions& options)
        : m_dialect(options.dialect),
          m_parser(options.dialect == Dialect::Rigol ? kRigolIdentity : kKeysightIdentity, Rows()) {
        const bool rigol = m_dialect == Dialect::Rigol;
        m_nDepth = options.depth > 0 ? options.depth
                                     : (rigol ? kRigolDefaultDepth : kKeysightDefaultDepth);
        for (int c = 0; c < kScanChannels; ++c) {
            const bool second = c == 1;
            const QString& code =
                second && !options.code[1].isEmpty() ? options.code[1] : options.code[0];
            m_volts[c] = ScanVolts(code, second && options.code[1].isEmpty(), 7u + unsigned(c));
        }
        Reset();
        // A channel the user switched off stays off until *RST.
        for (int c = 0; c < kScanChannels; ++c)
            m_bDisplay[c] = !options.off[c];
    }

    QByteArray Receive(const QByteArray& bytes) override {
        QByteArray answer;
        for (const ScpiMessage& message : m_parser.Receive(bytes))
            answer += message.bytes;
        return answer;
    }

    void LinkClosed() override { m_parser.Drop(); }

  private:
    bool Rigol() const { return m_dialect == Dialect::Rigol; }

    // *RST: the scopes' defaults, with the scan on channels 1 and 2 scaled
    // to fill the screen.
    void Reset() {
        for (int c = 0; c < kChannels; ++c) {
            m_bDisplay[c] = c < kScanChannels;
            m_dScale[c] = 1.0;
            // Rigol's offset moves the trace; Keysight's names the centre's volts.
            m_dOffset[c] = c < kScanChannels ? (Rigol() ? -2.0 : 2.0) : 0.0;
            m_dProbe[c] = 10;
            m_coupling[c] = "DC";
        }
        m_dTimebase = 1e-3;
        m_dTimeOffset = 0;
        m_triggerSource = "CHAN1";
        m_triggerSlope = "POS";
        m_dTriggerLevel = 2.0;
        m_triggerSweep = "AUTO";
        m_bRunning = true;
        m_nSource = 0;
        m_mode = Normal;
        m_format = Byte;
        m_bUnsigned = true;
        m_bMsbFirst = true;
        m_nStart = 1;
        m_nStop = kRigolScreenPoints;
        m_nAsked = kKeysightDefaultPoints;
    }

    // --- the record and its levels ---------------------------------------

    int Divisions() const { return Rigol() ? kRigolDivisions : kKeysightDivisions; }
    double RecordSeconds() const { return m_dTimebase * Divisions(); }
    // Volts a converter level.
    double LevelVolts(int channel) const { return m_dScale[channel] / kLevelsPerDivision; }
    // Keysight's words carry the level in their high byte: 256 counts a level.
    int WordCounts() const { return !Rigol() && m_format == Word ? 256 : 1; }
    double YIncrement(int channel) const { return LevelVolts(channel) / WordCounts(); }
    // Rigol: the trace's displacement in levels; Keysight: the centre's volts.
    double YOrigin(int channel) const {
        return Rigol() ? std::round(m_dOffset[channel] / LevelVolts(channel)) : m_dOffset[channel];
    }
    int YReference() const {
        if (Rigol()) return kRigolReference;
        return (m_bUnsigned ? kKeysightReference : 0) * WordCounts();
    }

    // The points a data query gives in the current mode: the screen or the
    // memory (Rigol), the memory decimated to the points asked (Keysight).
    long long Points() const {
        if (Rigol())
            return m_mode == Raw || (m_mode == Maximum && !m_bRunning) ? m_nDepth
                                                                       : kRigolScreenPoints;
        return std::min(m_nAsked, m_nDepth);
    }
    double XIncrement() const { return RecordSeconds() / double(Points()); }
    // The record is centred on the trigger, moved by the time offset.
    double XOrigin() const { return -RecordSeconds() / 2 + m_dTimeOffset; }

    // Volts of a channel at point i of the current mode's record.
    double VoltsAt(int channel, long long i) const {
        if (channel >= kScanChannels) return 0;
        const std::vector<float>& volts = m_volts[channel];
        const auto base = std::size_t(double(i) * double(volts.size()) / double(Points()));
        return volts[std::min(base, volts.size() - 1)];
    }

    // The converter's level, 0 to 255.
    int LevelAt(int channel, long long i) const {
        const double levels = VoltsAt(channel, i) / LevelVolts(channel);
        const double level =
            Rigol() ? levels + YOrigin(channel) + kRigolReference
                    : levels - YOrigin(channel) / LevelVolts(channel) + kKeysightReference;
        return std::clamp(int(std::lround(level)), 0, 255);
    }

    // Points first..last (0-based, inclusive) in the current format.
    QByteArray Data(long long first, long long last) const {
        QByteArray data;
        const int channel = m_nSource;
        for (long long i = first; i <= last; ++i) {
            const int level = LevelAt(channel, i);
            if (m_format == Ascii) {
                const double volts =
                    Rigol() ? (level - YOrigin(channel) - kRigolReference) * LevelVolts(channel)
                            : (level - kKeysightReference) * LevelVolts(channel) + YOrigin(channel);
                if (i > first) data += ',';
                data += Number(volts);
            } else if (m_format == Word) {
                // Rigol: the level in the low byte, sent first; Keysight: the
                // level in the high byte, in the order asked.
                const int word = Rigol() ? level : (m_bUnsigned ? level : level - 128) * 256;
                const char high = char((word >> 8) & 0xFF), low = char(word & 0xFF);
                if (Rigol() || !m_bMsbFirst)
                    data += low, data += high;
                else
                    data += high, data += low;
            } else {
                data += char(Rigol() || m_bUnsigned ? level : level - 128);
            }
        }
        return data;
    }

    QByteArray Block(const QByteArray& data) const { return DefiniteBlock(data, Rigol() ? 9 : 8); }

    ScpiReply WaveformData() {
        if (!m_bDisplay[m_nSource]) {
            // Nothing was acquired on a channel that is off.
            ScpiReply reply = ScpiReply::BlockOf(Block(QByteArray()));
            reply.error = -221;
            return reply;
        }
        const long long points = Points();
        if (!Rigol()) return ScpiReply::BlockOf(Block(Data(0, points - 1)));
        const long long first = std::clamp<long long>(m_nStart, 1, points);
        const long long last = std::clamp<long long>(m_nStop, first, points);
        if (last - first + 1 > kRigolReadLimit[m_format]) {
            ScpiReply reply = ScpiReply::BlockOf(Block(QByteArray()));
            reply.error = -222;
            return reply;
        }
        return ScpiReply::BlockOf(Block(Data(first - 1, last - 1)));
    }

    QByteArray Preamble() const {
        const int channel = m_nSource;
        if (Rigol()) {
            const int type = m_mode == Normal ? 0 : m_mode == Maximum ? 1 : 2;
            return QByteArray::number(int(m_format)) + ',' + QByteArray::number(type) + ',' +
                   QByteArray::number(Points()) + ",1," + Number(XIncrement()) + ',' +
                   Number(XOrigin()) + ",0," + Number(YIncrement(channel)) + ',' +
                   QByteArray::number(int(YOrigin(channel))) + ',' +
                   QByteArray::number(YReference());
        }
        const int format = m_format == Byte ? 0 : m_format == Word ? 1 : 4;
        return Integer(format) + ",+0," + Integer(Points()) + ",+1," + Number(XIncrement()) + ',' +
               Number(XOrigin()) + ",+0," + Number(YIncrement(channel)) + ',' +
               Number(YOrigin(channel)) + ',' + Integer(YReference());
    }

    // Numbers as each maker writes them: "1.000000e-03", "+1.00000000E-03".
    QByteArray Number(double value) const {
        if (Rigol()) return QByteArray::number(value, 'e', 6);
        return (value < 0 ? "" : "+") + QByteArray::number(value, 'E', 8);
    }
    QByteArray Integer(long long value) const {
        return (Rigol() || value < 0 ? "" : "+") + QByteArray::number(value);
    }

    QByteArray RunState() const {
        if (Rigol()) return m_bRunning ? "TD" : "STOP";
        return m_bRunning ? "RUN" : "STOP";
    }

    // --- the command table -------------------------------------------------

    // A channel suffix 1 to 4, or -1.
    static int ChannelOf(const ScpiCall& call) {
        const int channel = call.Suffix();
        return channel >= 1 && channel <= kChannels ? channel - 1 : -1;
    }
    // "CHAN2", "CHANnel2" or "2" (Keysight also takes the bare number).
    static int SourceOf(const QByteArray& argument) {
        QByteArray upper = argument.toUpper();
        if (upper.startsWith("CHANNEL"))
            upper.remove(0, 7);
        else if (upper.startsWith("CHAN"))
            upper.remove(0, 4);
        bool ok = false;
        const int channel = upper.toInt(&ok);
        return ok && channel >= 1 && channel <= kChannels ? channel - 1 : -1;
    }

    // A query answering a number, and its setting, of a channel's array.
    void AddChannelNumber(std::vector<ScpiRow>& rows, const char* query, const char* setting,
                          double (CScopeSimulator::*values)[kChannels], double low, double high) {
        rows.push_back({query, [this, values](const ScpiCall& call) {
                            const int channel = ChannelOf(call);
                            if (channel < 0) return ScpiReply::Error(-114);
                            return ScpiReply::Of(Number((this->*values)[channel]));
                        }});
        rows.push_back({setting, [this, values, low, high](const ScpiCall& call) {
                            const int channel = ChannelOf(call);
                            double value = 0;
                            if (channel < 0) return ScpiReply::Error(-114);
                            if (call.arguments.isEmpty()) return ScpiReply::Error(-109);
                            if (!ScpiNumber(call.Argument(), &value) || value < low || value > high)
                                return ScpiReply::Error(-224);
                            (this->*values)[channel] = value;
                            return ScpiReply::Nothing();
                        }});
    }

    // A query answering a word, and its setting among the words allowed
    // (written with the short form in capitals, "POSitive"); the query
    // answers the short form.
    static void AddChoice(std::vector<ScpiRow>& rows, const char* query, const char* setting,
                          QByteArray* value, const QList<QByteArray>& allowed) {
        rows.push_back({query, [value](const ScpiCall&) { return ScpiReply::Of(*value); }});
        rows.push_back({setting, [value, allowed](const ScpiCall& call) {
                            if (call.arguments.isEmpty()) return ScpiReply::Error(-109);
                            const QByteArray word = call.Argument().toUpper();
                            for (const QByteArray& choice : allowed) {
                                qsizetype capitals = 0;
                                while (capitals < choice.size() &&
                                       !std::islower(static_cast<unsigned char>(choice[capitals])))
                                    ++capitals;
                                const QByteArray shortForm = choice.left(capitals).toUpper();
                                if (word != shortForm && word != choice.toUpper()) continue;
                                *value = shortForm;
                                return ScpiReply::Nothing();
                            }
                            return ScpiReply::Error(-224);
                        }});
    }

    std::vector<ScpiRow> Rows() {
        const bool rigol = m_dialect == Dialect::Rigol;
        const auto text = [](const std::function<QByteArray()>& value) {
            return [value](const ScpiCall&) { return ScpiReply::Of(value()); };
        };
        const auto action = [](const std::function<void()>& act) {
            return [act](const ScpiCall&) {
                act();
                return ScpiReply::Nothing();
            };
        };
        std::vector<ScpiRow> rows = {
            {"*RST", action([this] { Reset(); })},
            {":RUN", action([this] { m_bRunning = true; })},
            {":STOP", action([this] { m_bRunning = false; })},
            // One acquisition, at once: the scan is always there to trigger on.
            {":SINGle", action([this] { m_bRunning = false; })},
            {":TFORce", action([] {})},
            {":TRIGger:STATus?", text([this] { return RunState(); })},
            {":CHANnel#:DISPlay?",
             [this](const ScpiCall& call) {
                 const int channel = ChannelOf(call);
                 if (channel < 0) return ScpiReply::Error(-114);
                 return ScpiReply::Of(m_bDisplay[channel] ? "1" : "0");
             }},
            {":CHANnel#:DISPlay",
             [this](const ScpiCall& call) {
                 const int channel = ChannelOf(call);
                 bool on = false;
                 if (channel < 0) return ScpiReply::Error(-114);
                 if (!ScpiBool(call.Argument(), &on)) return ScpiReply::Error(-224);
                 m_bDisplay[channel] = on;
                 return ScpiReply::Nothing();
             }},
            {":CHANnel#:COUPling?",
             [this](const ScpiCall& call) {
                 const int channel = ChannelOf(call);
                 if (channel < 0) return ScpiReply::Error(-114);
                 return ScpiReply::Of(m_coupling[channel]);
             }},
            {":CHANnel#:COUPling",
             [this](const ScpiCall& call) {
                 const int channel = ChannelOf(call);
                 const QByteArray word = call.Argument().toUpper();
                 if (channel < 0) return ScpiReply::Error(-114);
                 if (word != "AC" && word != "DC" && word != "GND") return ScpiReply::Error(-224);
                 m_coupling[channel] = word;
                 return ScpiReply::Nothing();
             }},
            {":TIMebase[:MAIN]:SCALe?", text([this] { return Number(m_dTimebase); })},
            {":TIMebase[:MAIN]:SCALe",
             [this](const ScpiCall& call) {
                 double value = 0;
                 if (!ScpiNumber(call.Argument(), &value) || value < 5e-9 || value > 50)
                     return ScpiReply::Error(-224);
                 m_dTimebase = value;
                 return ScpiReply::Nothing();
             }},
            {":TIMebase[:MAIN]:OFFSet?", text([this] { return Number(m_dTimeOffset); })},
            {":TIMebase:POSition?", text([this] { return Number(m_dTimeOffset); })},
            {":TRIGger[:EDGe]:LEVel?", text([this] { return Number(m_dTriggerLevel); })},
            {":TRIGger[:EDGe]:LEVel",
             [this](const ScpiCall& call) {
                 double value = 0;
                 if (!ScpiNumber(call.Argument(), &value)) return ScpiReply::Error(-224);
                 m_dTriggerLevel = value;
                 return ScpiReply::Nothing();
             }},
            {":TRIGger:MODE?", text([] { return QByteArray("EDGE"); })},
            {":ACQuire:TYPE?", text([] { return QByteArray("NORM"); })},
            {":ACQuire:SRATe?",
             text([this] { return Number(double(m_nDepth) / RecordSeconds()); })},
            {":WAVeform:SOURce?",
             text([this] { return "CHAN" + QByteArray::number(m_nSource + 1); })},
            {":WAVeform:SOURce",
             [this](const ScpiCall& call) {
                 const int source = SourceOf(call.Argument());
                 if (source < 0) return ScpiReply::Error(-224);
                 m_nSource = source;
                 return ScpiReply::Nothing();
             }},
            {":WAVeform:FORMat?", text([this] {
                 return QByteArray(m_format == Byte ? "BYTE" : m_format == Word ? "WORD" : "ASC");
             })},
            {":WAVeform:FORMat",
             [this](const ScpiCall& call) {
                 const QByteArray word = call.Argument().toUpper();
                 if (word == "BYTE")
                     m_format = Byte;
                 else if (word == "WORD")
                     m_format = Word;
                 else if (word == "ASC" || word == "ASCII" || word == "ASCI")
                     m_format = Ascii;
                 else
                     return ScpiReply::Error(-224);
                 return ScpiReply::Nothing();
             }},
            {":WAVeform:DATA?", [this](const ScpiCall&) { return WaveformData(); }},
            {":WAVeform:PREamble?", text([this] { return Preamble(); })},
            {":WAVeform:XINCrement?", text([this] { return Number(XIncrement()); })},
            {":WAVeform:XORigin?", text([this] { return Number(XOrigin()); })},
            {":WAVeform:XREFerence?", text([this] { return Integer(0); })},
            {":WAVeform:YINCrement?", text([this] { return Number(YIncrement(m_nSource)); })},
            {":WAVeform:YORigin?", text([this] {
                 return Rigol() ? QByteArray::number(int(YOrigin(m_nSource)))
                                : Number(YOrigin(m_nSource));
             })},
            {":WAVeform:YREFerence?", text([this] { return Integer(YReference()); })},
            {":WAVeform:POINts?", text([this] { return Integer(Points()); })},
        };
        AddChannelNumber(rows, ":CHANnel#:SCALe?", ":CHANnel#:SCALe", &CScopeSimulator::m_dScale,
                         1e-3, 100);
        AddChannelNumber(rows, ":CHANnel#:OFFSet?", ":CHANnel#:OFFSet", &CScopeSimulator::m_dOffset,
                         -1000, 1000);
        AddChannelNumber(rows, ":CHANnel#:PROBe?", ":CHANnel#:PROBe", &CScopeSimulator::m_dProbe,
                         0.0001, 10000);
        AddChoice(rows, ":TRIGger[:EDGe]:SOURce?", ":TRIGger[:EDGe]:SOURce", &m_triggerSource,
                  {"CHAN1", "CHAN2", "CHAN3", "CHAN4", "AC", "EXT", "LINE"});
        AddChoice(rows, ":TRIGger[:EDGe]:SLOPe?", ":TRIGger[:EDGe]:SLOPe", &m_triggerSlope,
                  {"POSitive", "NEGative", "RFALl", "EITHer", "ALTernate"});
        AddChoice(rows, ":TRIGger:SWEep?", ":TRIGger:SWEep", &m_triggerSweep,
                  {"AUTO", "NORMal", "SINGle"});
        if (rigol)
            AddRigolRows(rows);
        else
            AddKeysightRows(rows);
        return rows;
    }

    // The points read (NORMal, MAXimum or RAW): both scopes name them alike,
    // under a different header.
    void AddModeRows(std::vector<ScpiRow>& rows, const char* query, const char* setting) {
        rows.push_back({query, [this](const ScpiCall&) {
                            return ScpiReply::Of(m_mode == Normal    ? "NORM"
                                                 : m_mode == Maximum ? "MAX"
                                                                     : "RAW");
                        }});
        rows.push_back({setting, [this](const ScpiCall& call) {
                            const QByteArray word = call.Argument().toUpper();
                            if (word == "NORM" || word == "NORMAL")
                                m_mode = Normal;
                            else if (word == "MAX" || word == "MAXIMUM")
                                m_mode = Maximum;
                            else if (word == "RAW")
                                m_mode = Raw;
                            else
                                return ScpiReply::Error(-224);
                            return ScpiReply::Nothing();
                        }});
    }

    void AddRigolRows(std::vector<ScpiRow>& rows) {
        AddModeRows(rows, ":WAVeform:MODE?", ":WAVeform:MODE");
        const auto setIndex = [](long long* member) {
            return [member](const ScpiCall& call) {
                long long value = 0;
                if (!ScpiInteger(call.Argument(), &value) || value < 1 || value > kMaxDepth)
                    return ScpiReply::Error(-224);
                *member = value;
                return ScpiReply::Nothing();
            };
        };
        rows.push_back({":WAVeform:STARt", setIndex(&m_nStart)});
        rows.push_back({":WAVeform:STOP", setIndex(&m_nStop)});
        rows.push_back({":WAVeform:STARt?", [this](const ScpiCall&) {
                            return ScpiReply::Of(QByteArray::number(m_nStart));
                        }});
        rows.push_back({":WAVeform:STOP?", [this](const ScpiCall&) {
                            return ScpiReply::Of(QByteArray::number(m_nStop));
                        }});
        rows.push_back({":ACQuire:MDEPth?", [this](const ScpiCall&) {
                            return ScpiReply::Of(QByteArray::number(m_nDepth));
                        }});
        rows.push_back({":ACQuire:MDEPth", [this](const ScpiCall& call) {
                            long long depth = 0;
                            const QByteArray word = call.Argument().toUpper();
                            if (word == "AUTO") return ScpiReply::Nothing();
                            if (!ScpiInteger(word, &depth)) return ScpiReply::Error(-224);
                            for (const long long allowed : kRigolDepths)
                                if (depth == allowed) {
                                    m_nDepth = depth;
                                    return ScpiReply::Nothing();
                                }
                            return ScpiReply::Error(-224);
                        }});
    }

    void AddKeysightRows(std::vector<ScpiRow>& rows) {
        rows.push_back({":RSTate?", [this](const ScpiCall&) { return ScpiReply::Of(RunState()); }});
        // The operation condition register: bit 3 while running.
        rows.push_back({":OPERegister:CONDition?", [this](const ScpiCall&) {
                            return ScpiReply::Of(Integer(m_bRunning ? 8 : 0));
                        }});
        rows.push_back({":DIGitize", [this](const ScpiCall&) {
                            m_bRunning = false;
                            return ScpiReply::Nothing();
                        }});
        AddModeRows(rows, ":WAVeform:POINts:MODE?", ":WAVeform:POINts:MODE");
        rows.push_back({":WAVeform:POINts", [this](const ScpiCall& call) {
                            long long points = 0;
                            const QByteArray word = call.Argument().toUpper();
                            if (word == "MAX" || word == "MAXIMUM")
                                points = kMaxDepth;
                            else if (!ScpiInteger(word, &points) || points < 100)
                                return ScpiReply::Error(-224);
                            m_nAsked = points;
                            return ScpiReply::Nothing();
                        }});
        rows.push_back({":WAVeform:UNSigned?", [this](const ScpiCall&) {
                            return ScpiReply::Of(m_bUnsigned ? "1" : "0");
                        }});
        rows.push_back({":WAVeform:UNSigned", [this](const ScpiCall& call) {
                            return ScpiBool(call.Argument(), &m_bUnsigned) ? ScpiReply::Nothing()
                                                                           : ScpiReply::Error(-224);
                        }});
        rows.push_back({":WAVeform:BYTeorder?", [this](const ScpiCall&) {
                            return ScpiReply::Of(m_bMsbFirst ? "MSBF" : "LSBF");
                        }});
        rows.push_back({":WAVeform:BYTeorder", [this](const ScpiCall& call) {
                            const QByteArray word = call.Argument().toUpper();
                            if (word != "MSBF" && word != "LSBF") return ScpiReply::Error(-224);
                            m_bMsbFirst = word == "MSBF";
                            return ScpiReply::Nothing();
                        }});
        rows.push_back({":WAVeform:TYPE?", [](const ScpiCall&) { return ScpiReply::Of("NORM"); }});
        rows.push_back(
            {":WAVeform:COUNt?", [this](const ScpiCall&) { return ScpiReply::Of(Integer(1)); }});
        rows.push_back({":ACQuire:POINts?",
                        [this](const ScpiCall&) { return ScpiReply::Of(Integer(m_nDepth)); }});
    }

    Dialect m_dialect;
    std::vector<float> m_volts[kScanChannels];
    long long m_nDepth = 0;
    bool m_bDisplay[kChannels] = {};
    double m_dScale[kChannels] = {};
    double m_dOffset[kChannels] = {};
    double m_dProbe[kChannels] = {};
    QByteArray m_coupling[kChannels];
    double m_dTimebase = 0;
    double m_dTimeOffset = 0;
    QByteArray m_triggerSource, m_triggerSlope, m_triggerSweep;
    double m_dTriggerLevel = 0;
    bool m_bRunning = true;
    int m_nSource = 0;
    PointsMode m_mode = Normal;
    Format m_format = Byte;
    bool m_bUnsigned = true;
    bool m_bMsbFirst = true;
    long long m_nStart = 1, m_nStop = kRigolScreenPoints;
    long long m_nAsked = kKeysightDefaultPoints;
    CScpiParser m_parser; // last: its table refers to the members above
};

int RunScopeSimulator(Dialect dialect, const QStringList& arguments) {
    OptionRules rules;
    rules.valueOptions = {QStringLiteral("--code"),        QStringLiteral("--code2"),
                          QStringLiteral("--channel-off"), QStringLiteral("--depth"),
                          QStringLiteral("--link"),        QStringLiteral("--tcp")};
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 0, rules, &parsed) || !ValidTcpOption(parsed)) return -1;
    ScopeOptions options;
    options.dialect = dialect;
    options.code[0] = parsed.Value(QStringLiteral("--code"), options.code[0]);
    options.code[1] = parsed.Value(QStringLiteral("--code2"));
    for (const QString& off : parsed.values.value(QStringLiteral("--channel-off"))) {
        if (off != QLatin1String("1") && off != QLatin1String("2")) return -1;
        options.off[off.toInt() - 1] = true;
    }
    if (parsed.Has(QStringLiteral("--depth"))) {
        bool ok = false;
        options.depth = parsed.Value(QStringLiteral("--depth")).toLongLong(&ok);
        if (!ok || options.depth < kMinDepth || options.depth > kMaxDepth) return -1;
    }
    for (const QString& code : options.code)
        if (!code.isEmpty() && Ean13Modules(code).isEmpty()) {
            std::fprintf(stderr, "Code EAN-13 de 13 chiffres attendu : %s\n", qPrintable(code));
            return 1;
        }
    CScopeSimulator simulator(options);
    return ServeSimulator(simulator, parsed);
}

} // namespace

int RunRigolSimulator(const QStringList& arguments) {
    return RunScopeSimulator(Dialect::Rigol, arguments);
}

int RunKeysightSimulator(const QStringList& arguments) {
    return RunScopeSimulator(Dialect::Keysight, arguments);
}
