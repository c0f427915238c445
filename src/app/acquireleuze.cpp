// lineatix --acquire leuze --port COM1|COM2|PATH [--timeout SECONDS]
// [--save OUT.cod] [IN.cod]: the reading dialog without its window, from
// "&Lire" to the first code read, then "&Arrêter". Its texts go to standard
// output; the count of "Attente code (%d) ..." only once.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/leuze/leuzereading.h"

namespace {

constexpr double kDefaultTimeoutSeconds = 10;
constexpr int kNoCode = 1; // exit status when nothing was read in time

} // namespace

int AcquireLeuzeCommand(const QStringList& arguments) {
    OptionRules rules;
    rules.valueOptions = {QStringLiteral("--port"), QStringLiteral("--timeout"),
                          QStringLiteral("--save")};
    rules.maxPositional = 1;
    ParsedOptions options;
    if (!ParseOptions(arguments, 2, rules, &options)) return -1;
    const QString port = options.Value(QStringLiteral("--port"));
    if (port.isEmpty()) return -1;
    bool ok = true;
    const double timeout = options.Has(QStringLiteral("--timeout"))
                               ? options.Value(QStringLiteral("--timeout")).toDouble(&ok)
                               : kDefaultTimeoutSeconds;
    if (!ok || !(timeout > 0) || timeout > 86400) return -1;

    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, options.positional.value(0))) return 1;
    const int index = TakeBatchPort(port, app);
    if (index < 0) return -1;
    doc.m_nLeuzePort = static_cast<std::int16_t>(index);
    std::unique_ptr<CLeuzeLink> link = std::make_unique<CLeuzeLink>(index, app.m_ports);
    if (!link->IsOpen()) {
        PrintBatchError(link->Status());
        return 1;
    }

    CLeuzeReading reading(&doc, std::move(link));
    QEventLoop loop;
    int status = 0;
    QString shown = reading.m_strMessage;
    bool waiting = false;
    PrintBatchText(shown);
    QObject::connect(&reading, &CLeuzeReading::changed, [&] {
        if (reading.m_strMessage == shown) return;
        shown = reading.m_strMessage;
        const bool counting = shown.startsWith(QLatin1String("Attente code"));
        if (!(counting && waiting)) PrintBatchText(shown);
        waiting = counting;
    });
    QObject::connect(&reading, &CLeuzeReading::codeRead, [&] {
        reading.Toggle(); // "&Arrêter"
        loop.quit();
    });
    QObject::connect(reading.m_pLink.get(), &CLeuzeLink::lost, [&] {
        PrintBatchError(reading.m_strMessage);
        status = 1;
        loop.quit();
    });
    QTimer::singleShot(static_cast<int>(timeout * 1000), &loop, [&] {
        reading.Toggle(); // the beam goes off
        PrintBatchError(QStringLiteral("Aucun code lu en %1 s.").arg(timeout));
        status = kNoCode;
        loop.quit();
    });
    reading.Toggle(); // "&Lire"
    loop.exec();
    if (status != 0) return status;

    return SaveBatchOutput(doc, options.Value(QStringLiteral("--save"))) ? 0 : 1;
}
