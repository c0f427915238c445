// lineatix --print [--printer NAME] FILE.cod: the shell's print verb. The page
// goes to the default printer, or to NAME, without a dialog.

#include <QPrinter>
#include <QPrinterInfo>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/printpage.h"

namespace {

// The printer the page goes to; a null one, with the reason shown, when there
// is none to use.
QPrinterInfo ChoosePrinter(const QString& name) {
    if (name.isEmpty()) {
        const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
        if (printer.isNull()) PrintBatchError(QStringLiteral("Aucune imprimante n'est installée."));
        return printer;
    }
    const QPrinterInfo printer = QPrinterInfo::printerInfo(name);
    if (printer.isNull()) PrintBatchError(QStringLiteral("Imprimante introuvable: %1").arg(name));
    return printer;
}

} // namespace

int PrintCommand(const QStringList& arguments) {
    // A print verb always names its file: printing a new document is not asked of it.
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 1, OptionRules{{QStringLiteral("--printer")}, {}, 1, 1}, &parsed))
        return -1;
    const QString printerName = parsed.Value(QStringLiteral("--printer"));
    if (parsed.Has(QStringLiteral("--printer")) && printerName.isEmpty()) return -1;

    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, parsed.positional.first())) return 1;
    const QPrinterInfo info = ChoosePrinter(printerName);
    if (info.isNull()) return 1;

    QPrinter printer(info, QPrinter::HighResolution);
    SetUpPrintPage(printer);
    printer.setDocName(doc.Title());
    if (!PrintDocument(printer, doc, app)) {
        PrintBatchError(QStringLiteral("Impossible de lancer l'impression."));
        return 1;
    }
    return 0;
}
