// lineatix --export-txt OUT.txt IN.cod: the spreadsheet text of the curves
// IN.cod shows, as "Ecrire [.TXT] Excel..." writes it.

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/spreadsheet.h"
#include "view/commandrules.h"

int ExportTextCommand(const QStringList& arguments) {
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 1, OptionRules{{}, {}, 2, 2}, &parsed)) return -1;
    const QString& output = parsed.positional.at(0);
    const QString& input = parsed.positional.at(1);
    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, input)) return 1;
    // The menu command is offered only on a graph with samples.
    if (!GraphRule(doc)) {
        PrintBatchError(QStringLiteral("%1: aucun graphe à exporter.").arg(input));
        return 1;
    }
    if (!WriteSpreadsheet(doc, output, true)) {
        PrintBatchError(
            QStringLiteral("%1: %2").arg(output, QString::fromUtf8(kSpreadsheetCreateError)));
        return 1;
    }
    return 0;
}
