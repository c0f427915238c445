// A 24-megapixel JPEG photograph (6000 x 4000, made by cjpeg): reading it
// into the document, the pixel readout of one mouse move, one paint of the
// image mode into a 1920 x 1080 view and one image row as a scan.

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>

#include "benchtiming.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/imageread.h"
#include "output/imagerow.h"
#include "paintbench.h"
#include "view/viewcursor.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

// A photograph-like picture: bars of a code, a brightness gradient and some
// grain, so that the JPEG is not trivially small.
QByteArray Picture() {
    QByteArray bytes =
        "P6\n" + QByteArray::number(kWidth) + ' ' + QByteArray::number(kHeight) + "\n255\n";
    const int header = int(bytes.size());
    bytes.resize(header + qsizetype(kWidth) * kHeight * 3);
    char* p = bytes.data() + header;
    quint32 noise = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const bool bar = ((x / 40) * 7 + 3) % 5 < 2;
            const int level = (bar ? 40 : 220) + (y * 20 / kHeight) + int(noise >> 28);
            *p++ = char(level);
            *p++ = char(level - 5);
            *p++ = char(level - 10);
        }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv); // fonts and the painter
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    QProcess cjpeg;
    cjpeg.setStandardOutputFile(path);
    cjpeg.start(QStringLiteral("cjpeg"), {QStringLiteral("-quality"), QStringLiteral("90")});
    cjpeg.write(Picture());
    cjpeg.closeWriteChannel();
    if (!cjpeg.waitForFinished(120000) || cjpeg.exitCode() != 0) {
        std::fprintf(stderr, "cjpeg failed (libjpeg-turbo-progs)\n");
        return 1;
    }

    CZbApp app;
    CZbDoc doc(&app);
    int status = 0;
    const double read = MedianMs([&] { status |= ReadImageFile(doc, path); }, 5, 1);
    app.m_nRefPixelX = 100;
    app.m_nRefPixelY = 100;
    int x = 0;
    const double readout = MedianMs(
        [&] {
            app.m_nMouseX = std::int16_t(x = (x + 997) % kWidth);
            app.m_nMouseY = std::int16_t(x % kHeight);
            MouseReadout(doc, app);
        },
        2000, 20);
    const double paint = MedianPaintMs(doc, app, false, 30);
    QString error;
    const double row = MedianMs([&] { WriteImageRow(doc, 2000, &error); }, 30);
    std::printf("24-megapixel JPEG (%d x %d, %lld bytes): read %.0f ms, readout %.1f us per mouse "
                "move, image-mode paint %.2f ms (1920x1080), one row as a scan %.2f ms\n",
                kWidth, kHeight, static_cast<long long>(QFileInfo(path).size()), read,
                readout * 1e3, paint, row);
    return status == 0 ? 0 : 1;
}
