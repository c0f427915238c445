// lineatix --image-row ROW IMAGE [--save OUT.cod]: a row of a TIFF or JPEG
// photograph as the CH1 scan a photodiode would record.

#include <cstdio>

#include "app/batch.h"
#include "app/batchcommands.h"
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

bool ParseOptions(const QStringList& arguments, ImageRowOptions* options) {
    QStringList positional;
    for (int k = 1; k < arguments.size(); ++k) {
        const QString& argument = arguments.at(k);
        if (argument == QLatin1String("--save") && k + 1 < arguments.size())
            options->output = arguments.at(++k);
        else if (argument.startsWith(QLatin1String("--")))
            return false;
        else
            positional << argument;
    }
    if (positional.size() != 2) return false;
    bool ok = false;
    options->row = positional.at(0).toInt(&ok);
    options->image = positional.at(1);
    return ok;
}

} // namespace

int ImageRowCommand(const QStringList& arguments) {
    ImageRowOptions options;
    if (!ParseOptions(arguments, &options)) return -1;
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
    std::printf("%s\n", doc.m_astrLegend.value(0).toLocal8Bit().constData());
    std::printf("%d points\n", int(doc.m_nPoints));
    if (!options.output.isEmpty() && !doc.Save(options.output, &error)) {
        PrintBatchError(error);
        return 1;
    }
    return 0;
}
