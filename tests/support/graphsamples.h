#pragma once

#include <QPointF>
#include <QVector>

// count points evenly spaced on the straight run from (x0, y0) to (x1, y1).
inline QVector<QPointF> Ramp(double x0, double x1, double y0, double y1, int count = 11) {
    QVector<QPointF> points;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / (count - 1);
        points << QPointF(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t);
    }
    return points;
}
