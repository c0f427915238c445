// rendericon DIR SIZE...: writes the program's icon as DIR/lineatix-SIZE.png
// for each size, for the desktop's icon theme. Run by the build.

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "app/programicon.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "Usage: rendericon DIR SIZE...\n");
        return 1;
    }
    const QDir dir(arguments.at(1));
    for (const QString& text : arguments.mid(2)) {
        const int size = text.toInt();
        const QString path = dir.filePath(QStringLiteral("lineatix-%1.png").arg(size));
        const QImage image = size > 0 ? ProgramIconImage(size) : QImage();
        if (image.isNull() || !image.save(path, "PNG")) {
            std::fprintf(stderr, "rendericon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
