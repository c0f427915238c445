#pragma once

// Timing of the view's drawing, shared by the paint benchmarks.

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "view/viewdraw.h"

// Median time in milliseconds of one paint of what the view shows into a
// 1920 x 1080 image, after a few paints that warm the font and glyph caches.
// Aliased is how the view paints, antialiased how --render-png paints.
inline double MedianPaintMs(CZbDoc& doc, CZbApp& app, bool antialiased, int paints) {
    constexpr int kWarmUp = 5;
    QImage image(1920, 1080, QImage::Format_RGB32);
    std::vector<double> times;
    for (int run = 0; run < kWarmUp + paints; ++run) {
        image.fill(Qt::white);
        QElapsedTimer timer;
        timer.start();
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, antialiased);
        painter.setRenderHint(QPainter::TextAntialiasing, antialiased);
        DrawDocument(painter, doc, app, false, false);
        painter.end();
        if (run >= kWarmUp) times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Prints both medians, aliased and antialiased, under a heading.
inline void PrintPaintTimes(const char* heading, CZbDoc& doc, CZbApp& app, int paints) {
    std::printf("%s, 1920x1080, median of %d paints:\n", heading, paints);
    std::printf("  aliased:      %.2f ms\n", MedianPaintMs(doc, app, false, paints));
    std::printf("  antialiased:  %.2f ms\n", MedianPaintMs(doc, app, true, paints));
}
