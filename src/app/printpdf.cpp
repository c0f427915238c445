// lineatix --print-pdf OUT.pdf [--zoom XMIN,YMIN,XMAX,YMAX] [IN.cod]: the printed page as a PDF
// file.

#include <QPdfWriter>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/printpage.h"

int PrintPdfCommand(const QStringList& given) {
    QStringList arguments = given;
    BatchZoom zoom;
    if (!TakeZoomOption(&arguments, &zoom)) return 1;
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 1, OptionRules{{}, {}, 1, 2}, &parsed)) return -1;
    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, parsed.positional.value(1))) return 1;
    ApplyZoomOption(doc, zoom);
    const QString path = parsed.positional.at(0);
    {
        QPdfWriter writer(path);
        writer.setCreator(QStringLiteral("Lineatix"));
        writer.setTitle(doc.Title());
        SetUpPrintPage(writer);
        if (!PrintDocument(writer, doc, app)) {
            PrintBatchError(QStringLiteral("Impossible d'écrire %1").arg(path));
            return 1;
        }
    }
    return 0;
}
