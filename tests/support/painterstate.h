#pragma once

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QStringList>

// A pen, brush and font that no drawing operation of the program chooses:
// set them on a painter before an operation and look for differences after
// it to see that the operation put them back.
struct UnusualPainterState {
    QPen pen = QPen(Qt::green, 7, Qt::DashLine);
    QBrush brush = QBrush(Qt::yellow);
    QFont font = [] {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(123);
        return f;
    }();

    void SetOn(QPainter& painter) const {
        painter.setPen(pen);
        painter.setBrush(brush);
        painter.setFont(font);
    }
    // What the painter holds now that differs: "pen", "brush", "font".
    QString Differences(const QPainter& painter) const {
        QStringList changed;
        if (painter.pen() != pen) changed << QStringLiteral("pen");
        if (painter.brush() != brush) changed << QStringLiteral("brush");
        if (painter.font() != font) changed << QStringLiteral("font");
        return changed.join(QLatin1Char(' '));
    }
};
