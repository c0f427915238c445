// lineatix --acquire scpi --port COM1|COM2|ADDRESS [--channels CH1,CH2]
// [--timeout SECONDS] [--save OUT.cod] [IN.cod]: "Acquisition oscilloscope
// USB/Ethernet" (Rigol, Keysight) without a window, through the dialog's own
// steps and timer.

#include <QCoreApplication>
#include <cmath>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/novalue.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/scpi/scpicontroller.h"

namespace {

using State = CScpiAcquisition::State;

} // namespace

int AcquireScpiCommand(const QStringList& arguments) {
    ParsedOptions options;
    std::int16_t wanted = 0;
    if (!ParseScopeAcquireOptions(arguments, &options, &wanted)) return -1;
    bool ok = true;
    const double timeout =
        options.Has(QStringLiteral("--timeout"))
            ? options.Value(QStringLiteral("--timeout")).toDouble(&ok)
            : CScpiAcquisition::kDefaultTimeoutTicks * CScpiAcquisition::kTickMs / 1000.0;
    if (!ok || !std::isfinite(timeout) || timeout < 0.01 || timeout > 3600) return -1;

    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, options.positional.value(0))) return 1;
    const int port = TakeBatchPort(options.Value(QStringLiteral("--port")), app);
    if (port < 0) return -1;
    doc.m_nScopePort = static_cast<std::int16_t>(port);

    CScpiAcqController controller(&doc);
    CScpiAcquisition& acquisition = controller.Acquisition();
    acquisition.m_nTimeoutTicks = int(std::lround(timeout * 1000 / CScpiAcquisition::kTickMs));
    QString shown;
    QObject::connect(&controller, &CScpiAcqController::changed, [&] {
        const QString& message = acquisition.m_strMessage;
        if (message != shown) PrintBatchText(shown = message);
    });
    auto fail = [&](const QString& text) {
        PrintBatchError(text);
        return 1;
    };
    controller.Open();
    controller.RunWhileWaiting();
    if (acquisition.CurrentState() != State::Ready) return fail(acquisition.m_strMessage);

    // The boxes as a user sets them: the unwanted ones first.
    for (int channel : {1, 2})
        if (!(wanted & channel) && acquisition.Checked(channel))
            controller.SetChannel(channel, false);
    for (int channel : {1, 2}) {
        if (!(wanted & channel) || acquisition.Checked(channel)) continue;
        if (!acquisition.Enabled(channel))
            return fail(
                QStringLiteral("La voie %1 n'est pas affichée sur l'oscilloscope.").arg(channel));
        controller.SetChannel(channel, true);
    }
    controller.Acquire();
    controller.RunWhileWaiting();
    if (acquisition.Failed() || acquisition.StoredMask() == 0)
        return fail(acquisition.m_strMessage);
    controller.Close();

    return SaveBatchOutput(doc, options.Value(QStringLiteral("--save"))) ? 0 : 1;
}
