// lineatix --acquire tds --port COM1|COM2|PATH [--channels LIST] [--type 3xx|xxx]
// [--timeout SECONDS] [--save OUT.cod] [IN.cod]: the steps of "Acquisition spectre Tektronix" with
// its own timers, without a window. Each text the dialog shows goes to
// standard output; a port, communication or reading error ends it with the
// dialog's message on standard error.

#include <QEventLoop>

#include "app/application.h"
#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/tektronix/tekacqcontroller.h"

namespace {

using State = CTekAcquisition::State;

// "CH1,MATH" as the check boxes' indices, lowest bit first; false when a name
// is unknown, repeated, or more than two are given.
bool ParseChannels(const QString& list, QList<int>* sources) {
    for (const QString& name : list.split(QLatin1Char(','))) {
        const TekSource* source = FindTekSource(name.trimmed());
        if (!source) return false;
        const int index = int(source - kTekSources);
        if (sources->contains(index)) return false;
        *sources << index;
    }
    return !sources->isEmpty() && sources->size() <= CTekAcquisition::kMaxSources;
}

// Runs the event loop while the steps' timer runs.
void RunSteps(CTekAcqController& controller) {
    if (!controller.TimerRunning()) return;
    QEventLoop loop;
    QObject::connect(&controller, &CTekAcqController::idle, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Failed(const CTekAcquisition& acquisition) {
    const State state = acquisition.CurrentState();
    return state == State::WriteFailed || state == State::Stopped ||
           (state == State::Ready && !acquisition.Identified());
}

} // namespace

int AcquireTdsCommand(const QStringList& arguments) {
    ParsedOptions options;
    const OptionRules rules{{"--port", "--channels", "--type", "--save", "--timeout"}, {}, 0, 1};
    if (!ParseOptions(arguments, 2, rules, &options) || !options.Has(QStringLiteral("--port")))
        return -1;
    const int replyLimit =
        TimeoutTicks(options, CTekAcquisition::kTickMs, CTekAcquisition::kDefaultReplyLimitTicks);
    if (replyLimit < 0) return -1;
    QList<int> sources;
    if (!ParseChannels(options.Value(QStringLiteral("--channels"), QStringLiteral("CH1")),
                       &sources))
        return -1;
    const QString type = options.Value(QStringLiteral("--type")).toLower();
    if (!type.isEmpty() && type != QLatin1String("3xx") && type != QLatin1String("xxx")) return -1;

    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, options.positional.value(0))) return 1;
    const int port = TakeBatchPort(options.Value(QStringLiteral("--port")), app);
    if (port < 0) return -1;
    doc.m_nScopePort = std::int16_t(port);

    CTekAcqController controller(&doc);
    CTekAcquisition& acquisition = controller.m_acquisition;
    acquisition.m_nReplyLimitTicks = replyLimit;
    QString shown;
    QObject::connect(&controller, &CTekAcqController::fieldsChanged, [&] {
        if (acquisition.m_strMessage == shown || Failed(acquisition)) return;
        shown = acquisition.m_strMessage;
        PrintBatchText(shown);
    });
    QObject::connect(&controller, &CTekAcqController::messageBox,
                     [](const QString& text) { PrintBatchError(text); });

    controller.Open();
    RunSteps(controller);
    if (Failed(acquisition)) {
        PrintBatchError(acquisition.m_strMessage);
        // The monitor's reason: no such device, in use, permission refused.
        if (acquisition.CurrentState() == State::WriteFailed)
            PrintBatchError(controller.Link()->Monitor().m_strStatus);
        return 1;
    }
    for (int i = 0; i < kTekSourceCount; ++i)
        acquisition.SetChecked(i, sources.contains(i));
    controller.SourceClicked();
    if (!type.isEmpty()) acquisition.m_nType = type == QLatin1String("3xx") ? 1 : 0;
    controller.Acquire();
    RunSteps(controller);
    if (Failed(acquisition)) {
        PrintBatchError(acquisition.m_strMessage);
        return 1;
    }
    // A curve that never came leaves nothing worth saving: a failure, as a
    // silent instrument is.
    if (acquisition.m_nEmptySources) {
        for (const TekSource& source : kTekSources)
            if (acquisition.m_nEmptySources & source.bit)
                PrintBatchError(QStringLiteral("%1 : aucune valeur écrite dans le tableau.")
                                    .arg(QLatin1String(source.name)));
        return 1;
    }
    controller.CloseLink();

    return SaveBatchOutput(doc, options.Value(QStringLiteral("--save"))) ? 0 : 1;
}
