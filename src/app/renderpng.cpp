// lineatix --render-png OUT.png [--size WxH] [--zoom XMIN,YMIN,XMAX,YMAX] [IN.cod]: the view as on
// screen.

#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include "app/batch.h"
#include "app/batchcommands.h"
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
    QStringList rest = arguments.mid(1);
    BatchZoom zoom;
    if (!TakeZoomOption(&rest, &zoom)) return 1;
    if (rest.isEmpty()) return -1;
    const QString path = rest.takeFirst();
    QSize size(kDefaultWidth, kDefaultHeight);
    if (!rest.isEmpty() && rest.first() == QLatin1String("--size")) {
        if (rest.size() < 2 || !ParseSize(rest.at(1), &size)) {
            PrintBatchError(QStringLiteral("Taille invalide: %1 (attendu LxH, de 1 à %2)")
                                .arg(rest.value(1))
                                .arg(kMaxSide));
            return 1;
        }
        rest = rest.mid(2);
    }
    if (rest.size() > 1) return -1;

    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, rest.value(0))) return 1;
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
