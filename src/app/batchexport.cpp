// lineatix --export-txt OUT.txt IN.cod: the spreadsheet text of the curves
// IN.cod shows, as "Ecrire [.TXT] Excel..." writes it.

#include "app/batch.h"
#include "app/batchcommands.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/spreadsheet.h"
#include "view/commandrules.h"

int ExportTextCommand(const QStringList& arguments) {
    if (arguments.size() != 3) return -1;
    CZbApp app;
    CZbDoc doc(&app);
    const QString& input = arguments.at(2);
    if (!LoadBatchInput(doc, input)) return 1;
    // The menu command is offered only on a graph with samples.
    if (!GraphRule(doc)) {
        PrintBatchError(QStringLiteral("%1: aucun graphe à exporter.").arg(input));
        return 1;
    }
    if (!WriteSpreadsheet(doc, arguments.at(1), true)) {
        PrintBatchError(QStringLiteral("%1: %2").arg(arguments.at(1),
                                                     QString::fromUtf8(kSpreadsheetCreateError)));
        return 1;
    }
    return 0;
}
