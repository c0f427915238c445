#include "app/programicon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Resources of a static library are linked only when named (and the macro
// may not stand in a namespace).
static void LoadIconResource() {
    Q_INIT_RESOURCE(lineatix);
}

namespace {

QImage Render(QSvgRenderer& renderer, int size) {
    if (!renderer.isValid()) return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

} // namespace

QImage ProgramIconImage(int size) {
    LoadIconResource();
    QSvgRenderer renderer(QStringLiteral(":/lineatix.svg"));
    return Render(renderer, size);
}

QIcon ProgramIcon() {
    LoadIconResource();
    QSvgRenderer renderer(QStringLiteral(":/lineatix.svg")); // read once for every size
    QIcon icon;
    for (int size : kProgramIconSizes)
        icon.addPixmap(QPixmap::fromImage(Render(renderer, size)));
    return icon;
}
