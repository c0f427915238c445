#include "view/mapping.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "graph/plotter.h"

namespace {
constexpr double kTwipsPerInch = 1440.0;
}

float SetScreenMapping(QPainter& painter, QSize client, float left, float bottom, float right,
                       float top) {
    const float units = CPlotter::kScreenUnitsPerMm;
    const int originX = static_cast<int>(units * left);
    const int originY = static_cast<int>(units * top);
    const int extentX = static_cast<int>(units * (right - left));
    const int extentY = static_cast<int>(units * (bottom - top));
    // Isotropic: the smaller of the two scales on both axes, anchored top-left.
    double scale = 1.0;
    if (extentX != 0 && extentY != 0)
        scale = std::min(client.width() / std::fabs(double(extentX)),
                         client.height() / std::fabs(double(extentY)));
    painter.setWorldTransform(QTransform(scale, 0, 0, -scale, -originX * scale, originY * scale));
    return units;
}

float SetPrintMapping(QPainter& painter, float left, float /*bottom*/, float /*right*/, float top) {
    const float units = CPlotter::kPrintUnitsPerMm;
    const int originX = static_cast<int>(units * left);
    const int originY = static_cast<int>(units * top);
    const QPaintDevice* device = painter.device();
    const double sx = device ? device->logicalDpiX() / kTwipsPerInch : 1.0;
    const double sy = device ? device->logicalDpiY() / kTwipsPerInch : 1.0;
    painter.setWorldTransform(QTransform(sx, 0, 0, -sy, -originX * sx, originY * sy));
    return units;
}
