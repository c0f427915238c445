#include "app/toolbaricons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <functional>

#include "view/commandids.h"

namespace {

// Pictures are drawn on a 16 x 16 grid and rendered at 16 and 32 pixels.
using Picture = std::function<void(QPainter&)>;

const QColor kInk(40, 40, 40);
const QColor kBlue(30, 90, 200);
const QColor kRed(200, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kYellow(240, 200, 60);

QIcon Render(const Picture& picture) {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        p.setPen(QPen(kInk, 1.0));
        picture(p);
        icon.addPixmap(pixmap);
    }
    return icon;
}

// A few bars of a bar code between x0 and x1.
void Bars(QPainter& p, qreal x0, qreal y0, qreal height, const QColor& colour) {
    static const qreal kWidths[] = {1, 0.5, 0.5, 1.5, 0.5, 1, 1, 0.5, 0.5, 1};
    qreal x = x0;
    bool bar = true;
    for (qreal w : kWidths) {
        if (bar) p.fillRect(QRectF(x, y0, w, height), colour);
        x += w;
        bar = !bar;
    }
}

void SetBoldFont(QPainter& p, int pixelSize) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
}

void Page(QPainter& p, const QRectF& r) {
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setBrush(Qt::NoBrush);
}

void Magnifier(QPainter& p, QPointF centre, qreal radius, const QColor& colour) {
    p.setPen(QPen(colour, 1.5));
    p.drawEllipse(centre, radius, radius);
    p.drawLine(centre + QPointF(radius * 0.7, radius * 0.7),
               centre + QPointF(radius * 0.7 + 3.5, radius * 0.7 + 3.5));
    p.setPen(QPen(kInk, 1.0));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 1.3));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1e-6, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    QPolygonF head;
    head << to << to - 2.5 * d + 1.5 * n << to - 2.5 * d - 1.5 * n;
    p.setBrush(colour);
    p.drawPolygon(head);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 1.0));
}

Picture PictureFor(int id) {
    switch (id) {
    case kCmdFileOpen:
        return [](QPainter& p) {
            p.setBrush(kYellow);
            p.drawPolygon(QPolygonF({{1, 4}, {6, 4}, {7, 5.5}, {14, 5.5}, {14, 14}, {1, 14}}));
            p.setBrush(QColor(250, 225, 120));
            p.drawPolygon(QPolygonF({{3, 8}, {15.5, 8}, {14, 14}, {1, 14}}));
        };
    case kCmdFileSave:
        return [](QPainter& p) {
            p.setBrush(kBlue);
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            p.fillRect(QRectF(4, 2, 8, 5), kPaper);
            p.fillRect(QRectF(4, 10, 8, 4.5), QColor(200, 200, 200));
        };
    case kCmdPrintPreview:
        return [](QPainter& p) {
            Page(p, QRectF(1.5, 0.5, 10, 14));
            Bars(p, 3, 3, 5, kInk);
            Magnifier(p, QPointF(10, 10), 3, kBlue);
        };
    case kCmdPrint:
        return [](QPainter& p) {
            Page(p, QRectF(4, 1, 8, 6));
            p.setBrush(QColor(170, 170, 170));
            p.drawRect(QRectF(1, 6.5, 14, 6));
            Page(p, QRectF(4, 10, 8, 5));
            p.fillRect(QRectF(12, 8, 1.5, 1.5), Qt::green);
        };
    case kCmdDisplayType:
        return [](QPainter& p) {
            Page(p, QRectF(0.5, 1.5, 15, 12));
            Bars(p, 1.5, 3, 4, kInk);
            p.setPen(QPen(kRed, 1.2));
            p.drawPolyline(QPolygonF({{8, 12}, {10, 5}, {12, 10}, {14.5, 4}}));
            p.fillRect(QRectF(1.5, 9, 5, 3.5), QColor(120, 170, 230));
        };
    case kCmdLeuzeRead:
        return [](QPainter& p) {
            p.setBrush(QColor(90, 90, 90));
            p.drawRect(QRectF(4, 0.5, 8, 4));
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kRed, 0.8));
            p.drawLine(QPointF(8, 4.5), QPointF(2, 11));
            p.drawLine(QPointF(8, 4.5), QPointF(14, 11));
            p.drawLine(QPointF(2, 11), QPointF(14, 11));
            Bars(p, 3, 11.5, 4, kInk);
        };
    case kCmdRotate:
        return [](QPainter& p) {
            Bars(p, 4.5, 4, 8, kInk);
            Arrow(p, QPointF(1, 14), QPointF(1, 2), kBlue);
            Arrow(p, QPointF(2, 15), QPointF(15, 15), kRed);
        };
    case kCmdExtract:
        return [](QPainter& p) {
            p.setPen(QPen(kInk, 1.0));
            p.drawPolyline(QPolygonF({{0.5, 12},
                                      {3, 12},
                                      {3, 4},
                                      {5, 4},
                                      {5, 12},
                                      {6.5, 12},
                                      {6.5, 4},
                                      {9, 4},
                                      {9, 12},
                                      {11, 12},
                                      {11, 4},
                                      {12, 4},
                                      {12, 12},
                                      {15.5, 12}}));
            p.setPen(QPen(kBlue, 1.0, Qt::DashLine));
            p.drawRect(QRectF(2, 2, 11, 12));
        };
    case kCmdAnalyse:
        return [](QPainter& p) {
            Bars(p, 1, 1, 9, kInk);
            SetBoldFont(p, 6);
            p.setPen(kBlue);
            p.drawText(QRectF(0, 10, 16, 6), Qt::AlignCenter, QStringLiteral("123"));
        };
    case kCmdGenerateCode:
        return [](QPainter& p) {
            Page(p, QRectF(0.5, 0.5, 15, 15));
            Bars(p, 3, 2, 10, kInk);
            p.fillRect(QRectF(11, 11, 4, 4), kRed);
        };
    case kCmdCodeParameters:
        return [](QPainter& p) {
            Bars(p, 1, 1, 10, kInk);
            p.setPen(QPen(kBlue, 1.0));
            p.drawLine(QPointF(1, 13.5), QPointF(15, 13.5));
            p.drawLine(QPointF(1, 12), QPointF(1, 15));
            p.drawLine(QPointF(4, 12), QPointF(4, 15));
            p.fillRect(QRectF(12, 2, 3.5, 3), kRed);
            p.fillRect(QRectF(12, 6, 3.5, 3), QColor(60, 170, 60));
        };
    case kCmdZoom:
        return [](QPainter& p) {
            Magnifier(p, QPointF(6.5, 6.5), 5, kInk);
            p.setPen(QPen(kBlue, 1.5));
            p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
            p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
        };
    case kCmdRegressions:
        return [](QPainter& p) {
            p.drawLine(QPointF(1.5, 0.5), QPointF(1.5, 14.5));
            p.drawLine(QPointF(1.5, 14.5), QPointF(15.5, 14.5));
            p.setBrush(kInk);
            for (QPointF pt : {QPointF(4, 11), QPointF(6.5, 10), QPointF(9, 6.5), QPointF(11.5, 6),
                               QPointF(14, 3)})
                p.drawEllipse(pt, 0.9, 0.9);
            p.setPen(QPen(kRed, 1.2));
            p.drawLine(QPointF(2.5, 12.5), QPointF(15.5, 2));
        };
    case kCmdAbout:
        return [](QPainter& p) {
            p.setBrush(kBlue);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QRectF(1, 1, 14, 14));
            SetBoldFont(p, 12);
            p.setPen(kPaper);
            p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
        };
    default:
        return nullptr;
    }
}

} // namespace

QIcon ToolbarIcon(int commandId) {
    const Picture picture = PictureFor(commandId);
    return picture ? Render(picture) : QIcon();
}
