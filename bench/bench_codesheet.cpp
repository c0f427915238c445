// Paints the code sheet into a 1920 x 1080 image again and again and prints
// the median time of one paint (target: under 5 ms).

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "view/viewdraw.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    CZbApp app;
    CZbDoc doc(&app);
    app.m_pDoc = &doc;
    QImage image(1920, 1080, QImage::Format_RGB32);

    constexpr int kWarmUp = 5, kRuns = 200;
    std::vector<double> times;
    for (int run = 0; run < kWarmUp + kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            DrawDocument(painter, doc, app, false, false);
        }
        if (run >= kWarmUp) times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("code sheet, 1920x1080: median %.2f ms per paint (min %.2f, max %.2f, %d paints)\n",
                times[times.size() / 2], times.front(), times.back(), kRuns);
    return 0;
}
