// lineatix-sim tds: a Tektronix TDS oscilloscope as the acquisition relies on
// it. It answers the identification with a TDS 3XX or another model's line,
// each preamble query with one line holding the bare number (a 3XX takes the
// source in the query, "WFMPre:CH1:NR_Pt?"; the other models only the data
// source's, "WFMPre:NR_Pt?", and stay silent on a prefixed query), and
// CURVe? with the levels of the record, comma-separated, ended by a line end.
// The record is the scan of an EAN-13 code through the scan model: CH1, REF1
// and MATH show --code, CH2 and REF2 show --code2 or, without it, the
// inverted trace of --code.

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "common/options.h"
#include "decode/scanmodel.h"
#include "sim/siminstrument.h"

namespace {

// The record: 2500 points of 4 µs, 20 a module, levels of 0.04 V with the
// 0 V line 50 levels below the screen's centre, as an 8-bit digitiser gives.
constexpr int kRecordPoints = 2500;
constexpr double kPointSeconds = 4e-6;
constexpr int kPointsPerModule = 20;
constexpr int kTriggerPoint = 1250; // PT_Off: the record's time 0 in its middle
constexpr double kVoltsPerLevel = 0.04;
constexpr double kZeroVolts = 0;
constexpr int kOffsetLevels = -50;
constexpr int kLeadPoints = 60; // of quiet level before the scan
constexpr int kLowestLevel = -128, kHighestLevel = 127;

const char* const kDefaultCode = "5410673004208";
const char* const kId3xx = "ID TEK/TDS 340A,CF:91.1CT FV:v1.01";
const char* const kIdXxx = "ID TEK/TDS 220,CF:91.1CT FV:v1.08";
constexpr int kSourceCount = 5;
const char* const kSources[kSourceCount] = {"CH1", "CH2", "REF1", "REF2", "MATH"};

// A header keyword in long ("WFMPRE") or short ("WFMP") form, any case:
// the short form is the pattern's leading capitals ("WFMPre").
bool Matches(const QString& word, const char* pattern) {
    const QString full = QString::fromLatin1(pattern);
    int shortLength = 0;
    while (shortLength < full.size() && !full.at(shortLength).isLower())
        ++shortLength;
    const QString upper = word.toUpper();
    return upper == full.toUpper() || upper == full.left(shortLength);
}

int SourceIndex(const QString& name) {
    for (int i = 0; i < kSourceCount; ++i)
        if (name.compare(QLatin1String(kSources[i]), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

// The levels of a code's scan over the whole record.
QList<int> ScanLevels(const QString& code, bool inverted, std::uint32_t seed) {
    ScanParameters parameters;
    parameters.samplePeriod = kPointSeconds;
    parameters.moduleTime = kPointSeconds * kPointsPerModule;
    parameters.riseTime = 2 * kPointSeconds;
    parameters.noise = 0.04f;
    parameters.seed = seed;
    const ScanTrace trace = MakeCodeScan(code, parameters);
    QList<int> levels;
    const auto level = [&](double volts) {
        if (inverted) volts = parameters.high + parameters.low - volts;
        const int raw = int(std::lround((volts - kZeroVolts) / kVoltsPerLevel)) + kOffsetLevels;
        return std::clamp(raw, kLowestLevel, kHighestLevel);
    };
    for (int i = 0; i < kLeadPoints; ++i)
        levels << level(parameters.low);
    for (float volts : trace.value)
        if (levels.size() < kRecordPoints) levels << level(volts);
    while (levels.size() < kRecordPoints)
        levels << level(parameters.low);
    return levels;
}

class CTdsSimulator : public CSimInstrument {
  public:
    CTdsSimulator(const QString& code, const QString& code2, bool is3xx) : m_b3xx(is3xx) {
        for (int i = 0; i < kSourceCount; ++i) {
            const bool second = i == 1 || i == 3;
            m_levels[i] = second ? ScanLevels(code2.isEmpty() ? code : code2, code2.isEmpty(),
                                              std::uint32_t(7 + i))
                                 : ScanLevels(code, false, std::uint32_t(7 + i));
        }
    }

    QByteArray Receive(const QByteArray& bytes) override {
        QByteArray answer;
        m_input += bytes;
        for (;;) {
            const qsizetype end = m_input.indexOf('\n');
            if (end < 0) break;
            const QString line = QString::fromLatin1(m_input.left(end)).trimmed();
            m_input.remove(0, end + 1);
            for (const QString& command : line.split(QLatin1Char(';'), Qt::SkipEmptyParts))
                answer += Answer(command.trimmed());
        }
        if (m_input.size() > 4096) m_input.clear(); // no line end: noise on the line
        return answer;
    }

    void LinkClosed() override { m_input.clear(); }

  private:
    QByteArray Answer(const QString& command) {
        const qsizetype space = command.indexOf(QLatin1Char(' '));
        QString header = space < 0 ? command : command.left(space);
        const QString argument = space < 0 ? QString() : command.mid(space + 1).trimmed();
        const bool query = header.endsWith(QLatin1Char('?'));
        if (query) header.chop(1);
        const QStringList words = header.split(QLatin1Char(':'));
        if (query && (Matches(header, "ID") || Matches(header, "*IDN")))
            return QByteArray(m_b3xx ? kId3xx : kIdXxx) + '\n';
        if (query && words.size() == 1 && Matches(header, "CURVe")) return Curve(m_nSource);
        if (query && Matches(words[0], "WFMPre")) return Preamble(words);
        if (!query && words.size() == 2 && Matches(words[0], "DATa")) {
            if (Matches(words[1], "SOUrce") && SourceIndex(argument) >= 0)
                m_nSource = SourceIndex(argument);
            else if (Matches(words[1], "STARt"))
                m_nStart = std::clamp(argument.toInt(), 1, kRecordPoints);
            else if (Matches(words[1], "STOP"))
                m_nStop = std::clamp(argument.toInt(), 1, kRecordPoints);
        }
        return QByteArray(); // settings and what this model does not know
    }

    QByteArray Preamble(const QStringList& words) {
        // A 3XX names the source in the query; the other models do not know the form.
        int source = m_nSource;
        if (words.size() == 3) {
            if (!m_b3xx) return QByteArray();
            source = SourceIndex(words[1]);
            if (source < 0) return QByteArray();
        } else if (words.size() != 2) {
            return QByteArray();
        }
        (void)source; // every source has the same scales and record
        const QString& item = words.last();
        if (Matches(item, "NR_Pt")) return QByteArray::number(Points()) + '\n';
        if (Matches(item, "PT_Off"))
            return QByteArray::number(kTriggerPoint - (First() - 1)) + '\n';
        if (Matches(item, "XINcr")) return "4.0000E-06\n";
        if (Matches(item, "YMUlt")) return "4.0000E-02\n";
        if (Matches(item, "YZEro")) return "0.0E+00\n";
        if (Matches(item, "YOFf")) return QByteArray::number(kOffsetLevels) + ".0E+00\n";
        return QByteArray();
    }

    int First() const { return std::min(m_nStart, m_nStop); }
    int Points() const { return std::abs(m_nStop - m_nStart) + 1; }

    QByteArray Curve(int source) const {
        QByteArray reply;
        const QList<int>& levels = m_levels[source];
        for (int i = First() - 1; i < First() - 1 + Points(); ++i) {
            if (!reply.isEmpty()) reply += ',';
            reply += QByteArray::number(levels.at(i));
        }
        return reply + '\n';
    }

    bool m_b3xx;
    QList<int> m_levels[kSourceCount];
    QByteArray m_input;
    int m_nSource = 0;
    int m_nStart = 1;
    int m_nStop = kRecordPoints;
};

} // namespace

int RunTdsSimulator(const QStringList& arguments) {
    ParsedOptions options;
    const OptionRules rules{{"--code", "--code2", "--type", "--link", "--tcp"}, {}, 0, 0};
    if (!ParseOptions(arguments, 0, rules, &options) || !ValidTcpOption(options)) return -1;
    const QString code = options.Value(QStringLiteral("--code"), QLatin1String(kDefaultCode));
    const QString code2 = options.Value(QStringLiteral("--code2"));
    const QString type = options.Value(QStringLiteral("--type"), QStringLiteral("3xx")).toLower();
    if (Ean13Modules(code).isEmpty() || (!code2.isEmpty() && Ean13Modules(code2).isEmpty()))
        return -1;
    if (type != QLatin1String("3xx") && type != QLatin1String("xxx")) return -1;
    CTdsSimulator instrument(code, code2, type == QLatin1String("3xx"));
    return ServeSimulator(instrument, options);
}
