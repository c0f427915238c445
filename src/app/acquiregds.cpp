// lineatix --acquire gds --port COM1|COM2|PATH [--channels CH1,CH2]
// [--timeout SECONDS] [--save OUT.cod] [IN.cod]: "Acquisition spectre GDS-820C" without a window,
// through the dialog's own steps and timers.

#include <QCoreApplication>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/gdscontroller.h"
#include "instruments/gwinstek/gdsprotocol.h"

namespace {

using State = CGdsAcquisition::State;

} // namespace

int AcquireGdsCommand(const QStringList& arguments) {
    ParsedOptions options;
    std::int16_t wanted = 0;
    if (!ParseScopeAcquireOptions(arguments, &options, &wanted)) return -1;
    const int replyLimit =
        TimeoutTicks(options, CGdsAcquisition::kTickMs, CGdsAcquisition::kDefaultReplyLimitTicks);
    if (replyLimit < 0) return -1;

    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, options.positional.value(0))) return 1;
    const int port = TakeBatchPort(options.Value(QStringLiteral("--port")), app);
    if (port < 0) return -1;
    doc.m_nScopePort = static_cast<std::int16_t>(port);

    CGdsAcqController controller(&doc);
    controller.Acquisition().m_nReplyLimitTicks = replyLimit;
    QString shown;
    QObject::connect(&controller, &CGdsAcqController::changed, [&] {
        const QString& message = controller.Acquisition().m_strMessage;
        if (message != shown) PrintBatchText(shown = message);
    });
    QObject::connect(&controller, &CGdsAcqController::messageBox,
                     [](const QString& text) { PrintBatchError(text); });
    auto fail = [&](const QString& text) {
        PrintBatchError(text);
        return 1;
    };
    controller.Open();
    if (!controller.Link()->IsOpen()) PrintBatchError(controller.Link()->Monitor().m_strStatus);
    controller.RunWhile({State::ReadingSettings});
    CGdsAcquisition& acquisition = controller.Acquisition();
    if (acquisition.CurrentState() != State::Ready) return fail(acquisition.m_strMessage);

    // The boxes as a user sets them: the unwanted ones first.
    for (std::int16_t bit : {std::int16_t(1), std::int16_t(2), std::int16_t(4), std::int16_t(8)})
        if (!(wanted & bit) && acquisition.Checked(bit)) controller.SetSource(bit, false);
    for (std::int16_t bit : {std::int16_t(1), std::int16_t(2)}) {
        if (!(wanted & bit) || acquisition.Checked(bit)) continue;
        if (!acquisition.Enabled(bit))
            return fail(QStringLiteral("La voie %1 est éteinte sur l'oscilloscope.").arg(bit));
        controller.SetSource(bit, true);
    }
    controller.Acquire();
    controller.RunWhile({State::NextSource, State::Waveform});
    if (acquisition.CurrentState() != State::Ready) return fail(acquisition.m_strMessage);
    for (const GdsSource& source : kGdsSources)
        if (acquisition.m_nEmptySources & source.bit)
            PrintBatchError(QStringLiteral("%1 : aucune valeur écrite dans le tableau.")
                                .arg(QLatin1String(source.name)));
    if (acquisition.m_nFailed) return 1; // each failure was reported as it came
    controller.Close();

    return SaveBatchOutput(doc, options.Value(QStringLiteral("--save"))) ? 0 : 1;
}
