// lineatix --render-png OUT.png [--size WxH] [--zoom XMIN,YMIN,XMAX,YMAX] [IN.cod]: the view as on
// screen.

#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "view/viewdraw.h"

namespace {
constexpr int kDefaultWidth = 1280, kDefaultHeight = 800;
// Large enough for any screen; the image then takes 256 MB at most.
constexpr int kMaxSide = 8000;

bool ParseSize(const QString& text, QSize* size) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return false;
    const int width = match.captured(1).toInt(), height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
    *size = QSize(width, height);
    return true;
}
} // namespace

int RenderPngCommand(const QStringList& arguments) {
    QStringList rest = arguments;
    BatchZoom zoom;
    if (!TakeZoomOption(&rest, &zoom)) return 1;
    ParsedOptions parsed;
    if (!ParseOptions(rest, 1, OptionRules{{QStringLiteral("--size")}, {}, 1, 2}, &parsed))
        return -1;
    const QString path = parsed.positional.at(0);
    QSize size(kDefaultWidth, kDefaultHeight);
    if (parsed.Has(QStringLiteral("--size")) &&
        !ParseSize(parsed.Value(QStringLiteral("--size")), &size)) {
        PrintBatchError(QStringLiteral("Taille invalide: %1 (attendu LxH, de 1 à %2)")
                            .arg(parsed.Value(QStringLiteral("--size")))
                            .arg(kMaxSide));
        return 1;
    }

    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, parsed.positional.value(1))) return 1;
    ApplyZoomOption(doc, zoom);

    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        DrawDocument(painter, doc, app, false, false);
    }
    if (!image.save(path, "PNG")) {
        PrintBatchError(QStringLiteral("Impossible d'écrire %1").arg(path));
        return 1;
    }
    return 0;
}
