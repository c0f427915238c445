// lineatix --acquire pcmes3 --simulated-card CODE [--save OUT.cod] [IN.cod]:
// a Run acquisition of the PC-MES3 dialog without its window, on the
// simulated card; the dialog's texts go to standard output as they change.

#include <QEventLoop>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/pcmes3/pcmes3acquisition.h"
#include "instruments/pcmes3/simulatedcard.h"

int AcquirePcmes3Command(const QStringList& arguments) {
    OptionRules rules;
    rules.valueOptions = {QStringLiteral("--simulated-card"), QStringLiteral("--save")};
    rules.maxPositional = 1;
    ParsedOptions options;
    if (!ParseOptions(arguments, 2, rules, &options)) return -1;
    const QString code = options.Value(QStringLiteral("--simulated-card"));
    if (code.isEmpty()) return -1;
    if (!CSimulatedCard::IsCardCode(code)) {
        PrintBatchError(
            QStringLiteral("--simulated-card %1 : le code doit avoir 13 chiffres.").arg(code));
        return 1;
    }

    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, options.positional.value(0))) return 1;
    app.m_strSimulatedCard = code;

    CPcMes3Acquisition acquisition(&doc, &app, OpenCardPorts(code));
    QString shown = acquisition.m_strMessage;
    PrintBatchText(shown);
    QEventLoop loop;
    QObject::connect(&acquisition, &CPcMes3Acquisition::changed, [&] {
        if (acquisition.m_strMessage == shown) return;
        shown = acquisition.m_strMessage;
        PrintBatchText(shown);
    });
    QObject::connect(&acquisition, &CPcMes3Acquisition::finished, &loop, &QEventLoop::quit);
    acquisition.Acquire();
    loop.exec();
    acquisition.Close();

    return SaveBatchOutput(doc, options.Value(QStringLiteral("--save"))) ? 0 : 1;
}
