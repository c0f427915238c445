#include "app/programicon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Resources of a static library are linked only when named (and the macro
// may not stand in a namespace).
static void LoadIconResource() {
    Q_INIT_RESOURCE(lineatix);
}

QImage ProgramIconImage(int size) {
    LoadIconResource();
    QSvgRenderer renderer(QStringLiteral(":/lineatix.svg"));
    if (!renderer.isValid()) return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : kProgramIconSizes)
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
    return icon;
}
