// lineatix --image-row ROW IMAGE [--save OUT.cod]: a row of a TIFF or JPEG
// photograph as the CH1 scan a photodiode would record.

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/imageread.h"
#include "output/imagerow.h"

namespace {

struct ImageRowOptions {
    int row = -1;
    QString image;
    QString output;
};

bool ReadOptions(const QStringList& arguments, ImageRowOptions* options) {
    const OptionRules rules{{QStringLiteral("--save")}, {}, 2, 2};
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 1, rules, &parsed)) return false;
    bool ok = false;
    options->row = parsed.positional.at(0).toInt(&ok);
    options->image = parsed.positional.at(1);
    options->output = parsed.Value(QStringLiteral("--save"));
    return ok;
}

} // namespace

int ImageRowCommand(const QStringList& arguments) {
    ImageRowOptions options;
    if (!ReadOptions(arguments, &options)) return -1;
    CZbApp app;
    CZbDoc doc(&app);
    if (ReadImageFile(doc, options.image) != 0) {
        PrintBatchError(
            QStringLiteral("%1: %2").arg(options.image, QString::fromUtf8(kImageReadError)));
        return 1;
    }
    QString error;
    if (!WriteImageRow(doc, options.row, &error)) {
        PrintBatchError(QStringLiteral("%1: %2").arg(options.image, error));
        return 1;
    }
    PrintBatchText(doc.m_astrLegend.value(0));
    PrintBatchText(QStringLiteral("%1 points").arg(doc.m_nPoints));
    return SaveBatchOutput(doc, options.output) ? 0 : 1;
}
