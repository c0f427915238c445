#include "graph/plotter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "doc/zbdoc.h"

CPlotter::CPlotter(QPainter* painter, CZbDoc* doc, bool printing)
    : m_pDC(painter), m_pDoc(doc), m_fLogPerMm(printing ? kPrintUnitsPerMm : kScreenUnitsPerMm) {
    ResetClip();
    m_fLeft = doc->m_fFrameLeft;
    m_fBottom = doc->m_fFrameBottom;
    m_fRight = doc->m_fFrameRight;
    m_fTop = doc->m_fFrameTop;
    for (int curve = 0; curve < kCurves; ++curve) {
        m_nXCol[curve] = -1;
        m_nYCol[curve] = -1;
    }
    if (doc->m_nPoints > 0) {
        m_nRows = std::min<std::int16_t>(doc->m_nPoints, CZbDoc::kCapacity);
        m_pT = &doc->m_fT[0][0];
    }
}

CPlotter::~CPlotter() {
    // The view's mouse handling turns pixels into data values with the
    // transform of the last pass.
    if (m_pDoc->m_nPoints < 1) return;
    m_pDoc->m_fFrameLeft = m_fLeft;
    m_pDoc->m_fFrameBottom = m_fBottom;
    m_pDoc->m_fFrameRight = m_fRight;
    m_pDoc->m_fFrameTop = m_fTop;
    m_pDoc->m_fMmPerUnitX = m_fMmPerUnitX;
    m_pDoc->m_fMmPerUnitY = m_fMmPerUnitY;
    m_pDoc->m_fOriginX = m_fOriginX;
    m_pDoc->m_fOriginY = m_fOriginY;
    m_pDoc->m_fMultX = m_fMultX;
    m_pDoc->m_fMultY = m_fMultY;
}

int CPlotter::ToLogical(float mm) const {
    const float units = mm * m_fLogPerMm;
    // Far outside any page: keep the conversion defined.
    if (!(std::fabs(units) < 2.0e9f)) return units > 0 ? 2000000000 : -2000000000;
    return static_cast<int>(units);
}

void CPlotter::Line(float x1, float y1, float x2, float y2) {
    m_pDC->drawLine(QPoint(ToLogical(x1), ToLogical(y1)), QPoint(ToLogical(x2), ToLogical(y2)));
}

void CPlotter::Circle(float x, float y, float r) {
    const int left = ToLogical(x - r), top = ToLogical(y + r);
    const int right = ToLogical(x + r), bottom = ToLogical(y - r);
    // An outline only, like an arc: the current brush must not fill it.
    const QBrush brush = m_pDC->brush();
    m_pDC->setBrush(Qt::NoBrush);
    m_pDC->drawEllipse(
        QRect(QPoint(left, bottom), QPoint(right, top)).normalized().adjusted(0, 0, -1, -1));
    m_pDC->setBrush(brush);
}

void CPlotter::FillRect(float x1, float y1, float x2, float y2) {
    const QRect rect =
        QRect(QPoint(ToLogical(x1), ToLogical(y1)), QPoint(ToLogical(x2), ToLogical(y2)))
            .normalized()
            .adjusted(0, 0, -1, -1);
    m_pDC->fillRect(rect, m_pDC->brush());
}

void CPlotter::Frame(float x1, float y1, float x2, float y2) {
    Line(x1, y1, x2, y1);
    Line(x2, y1, x2, y2);
    Line(x2, y2, x1, y2);
    Line(x1, y2, x1, y1);
}

void CPlotter::Text(float x, float y, const QString& text) {
    const QFontMetricsF metrics(m_pDC->font());
    double dx = 0;
    const int horizontal = m_nTextAlign & 0x06;
    if (horizontal == kAlignCenter)
        dx = -metrics.horizontalAdvance(text) / 2;
    else if (horizontal == kAlignRight)
        dx = -metrics.horizontalAdvance(text);
    // Offset of the baseline below the anchor, in the upright text frame.
    double dy = 0;
    const int vertical = m_nTextAlign & 0x18;
    if (vertical == kAlignTop)
        dy = metrics.ascent();
    else if (vertical == kAlignBottom)
        dy = -metrics.descent();

    // The world transform has y upward; flip locally so text stays upright.
    m_pDC->save();
    m_pDC->translate(ToLogical(x), ToLogical(y));
    m_pDC->scale(1, -1);
    m_pDC->setPen(ToQColor(m_crText));
    m_pDC->drawText(QPointF(dx, dy), text);
    m_pDC->restore();
}
