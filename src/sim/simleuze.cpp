// lineatix-sim leuze [--code CODE]... [--interval MS] [--seed N] [--link PATH | --tcp PORT]:
// a Leuze BCL32 reader on a pseudo-terminal or a socket.

#include <chrono>

#include "common/options.h"
#include "instruments/leuze/simreader.h"
#include "sim/siminstrument.h"

namespace {

class CLeuzeInstrument : public CSimInstrument {
  public:
    explicit CLeuzeInstrument(CSimLeuzeReader& reader) : m_reader(reader) {}
    QByteArray Receive(const QByteArray& bytes) override {
        return m_reader.Receive(bytes, m_nNowMs);
    }
    QByteArray Tick(std::int64_t elapsedMs) override {
        m_nNowMs = elapsedMs;
        return m_reader.Tick(elapsedMs);
    }

  private:
    CSimLeuzeReader& m_reader;
    std::int64_t m_nNowMs = 0; // the time of the last tick
};

} // namespace

int RunLeuzeSimulator(const QStringList& arguments) {
    OptionRules rules;
    rules.valueOptions = {QStringLiteral("--code"), QStringLiteral("--interval"),
                          QStringLiteral("--seed"), QStringLiteral("--link"),
                          QStringLiteral("--tcp")};
    ParsedOptions options;
    if (!ParseOptions(arguments, 0, rules, &options) || !ValidTcpOption(options)) return -1;
    bool ok = true;
    const int interval = options
                             .Value(QStringLiteral("--interval"),
                                    QString::number(CSimLeuzeReader::kDefaultIntervalMs))
                             .toInt(&ok);
    if (!ok || interval <= 0) return -1;
    const auto seed = options.Has(QStringLiteral("--seed"))
                          ? options.Value(QStringLiteral("--seed")).toUInt(&ok)
                          : static_cast<std::uint32_t>(
                                std::chrono::steady_clock::now().time_since_epoch().count());
    if (!ok) return -1;
    CSimLeuzeReader reader(options.values.value(QStringLiteral("--code")), interval, seed);
    CLeuzeInstrument instrument(reader);
    return ServeSimulator(instrument, options);
}
