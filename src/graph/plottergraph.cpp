// The graph operations of CPlotter: curves, frame, axes, grid and labels, and
// the marks drawn over a graph (regressions, legend, markers, cursor point).
#include <QFont>
#include <QFontMetricsF>
#include <QLine>
#include <QPainter>
#include <QVector>
#include <algorithm>
#include <cmath>

#include "common/creditline.h"
#include "common/format.h"
#include "common/frenchdate.h"
#include "common/novalue.h"
#include "doc/zbdoc.h"
#include "graph/graphscale.h"
#include "graph/plotter.h"
#include "graph/regressionset.h"

namespace {

// Curve colours by curve index: red, green, navy, orange, magenta, black.
constexpr COLORREF kCurveColours[CPlotter::kCurves] = {0x0000FF, 0x008000, 0x800000,
                                                       0x0D56DD, 0xFF00FF, 0x000000};
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGridGrey = 0x7F7F7F;
constexpr COLORREF kPointMarkerGreen = 0x7FFF7F;

constexpr int kFontWeight = 500;
constexpr float kFramePenMm = 0.2f;
constexpr float kCurvePenMm = 0.3f;
constexpr float kPolynomialPenMm = 0.4f;
constexpr float kMarkerOuterMm = 0.8f; // white square under a marker, half side
constexpr float kMarkerInnerMm = 0.6f; // coloured square, half side
constexpr double kVerticalAngle = 1.570795;
constexpr double kPolynomialStep = 0.002; // of the x span: about 500 segments
constexpr int kMaxPolynomialPoints = 1000;
constexpr float kCoefficientColumnMm = 50; // each slot's coefficient list, from the right

// Puts the pen, brush, font and text colour back as they were, as every
// operation leaves the painter to its caller. The world transform is not
// saved: the graph's window-origin move must outlive DrawGraph.
class KeptDrawingState {
  public:
    explicit KeptDrawingState(CPlotter& plotter)
        : m_plotter(plotter), m_pen(plotter.m_pDC->pen()), m_brush(plotter.m_pDC->brush()),
          m_font(plotter.m_pDC->font()), m_textColour(plotter.TextColor()) {}
    ~KeptDrawingState() {
        m_plotter.m_pDC->setPen(m_pen);
        m_plotter.m_pDC->setBrush(m_brush);
        m_plotter.m_pDC->setFont(m_font);
        m_plotter.SetTextColor(m_textColour);
    }
    KeptDrawingState(const KeptDrawingState&) = delete;
    KeptDrawingState& operator=(const KeptDrawingState&) = delete;

  private:
    CPlotter& m_plotter;
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
    COLORREF m_textColour;
};

void SelectFont(CPlotter& plotter, float heightMm) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, plotter.ToLogical(heightMm)));
    font.setWeight(QFont::Weight(kFontWeight));
    plotter.m_pDC->setFont(font);
}

// Square ends close the frame's corners. Curve segments meet end to end and
// take flat ends: round ones make the view three times slower to paint.
void SelectPen(CPlotter& plotter, COLORREF colour, float widthMm,
               Qt::PenCapStyle cap = Qt::SquareCap) {
    QPen pen(ToQColor(colour), plotter.ToLogical(widthMm));
    pen.setCapStyle(cap);
    plotter.m_pDC->setPen(pen);
}

// The device's thinnest line, one pixel whatever the mapping.
void SelectHairlinePen(CPlotter& plotter, COLORREF colour) {
    QPen pen(ToQColor(colour), 0);
    pen.setCosmetic(true);
    plotter.m_pDC->setPen(pen);
}

bool InsideInnerFrame(const CPlotter& plotter, float x, float y) {
    return plotter.m_fLeft + kGraphInnerMarginMm < x &&
           x < plotter.m_fRight - kGraphInnerMarginMm &&
           plotter.m_fBottom + kGraphInnerMarginMm < y && y < plotter.m_fTop - kGraphInnerMarginMm;
}

void DrawFooter(CPlotter& plotter) {
    SelectFont(plotter, plotter.m_fFontMm * 0.8f);
    plotter.SetTextColor(kBlue);
    plotter.SetTextAlign(CPlotter::kAlignLeft | CPlotter::kAlignTop);
    plotter.Text(plotter.m_fLeft + 0.5f, plotter.m_fBottom + 4.5f, CreditLine());
    plotter.SetTextAlign(CPlotter::kAlignRight | CPlotter::kAlignTop);
    plotter.Text(plotter.m_fRight - 0.5f, plotter.m_fBottom + 4.5f, FrenchDateTimeNow());
}

void DrawFrameAndAxes(CPlotter& plotter, const GraphScale& scale) {
    SelectPen(plotter, kBlack, kFramePenMm);
    plotter.Frame(plotter.m_fLeft, plotter.m_fBottom, plotter.m_fRight, plotter.m_fTop);
    plotter.Frame(scale.axisLeft, scale.axisBottom, scale.axisRight, scale.axisTop);
    plotter.Line(scale.axisLeft, 0, scale.axisRight, 0);
    plotter.Line(0, scale.axisBottom, 0, scale.axisTop);
}

void DrawGridAndTicks(CPlotter& plotter, const GraphScale& scale) {
    SelectHairlinePen(plotter, kGridGrey);
    SelectFont(plotter, plotter.m_fFontMm);
    plotter.SetTextColor(kBlack);

    plotter.SetTextAlign(CPlotter::kAlignCenter | CPlotter::kAlignTop);
    for (float v : TickOffsets(scale.stepX, scale.mmPerUnitX, plotter.m_fLeft + kGraphInnerMarginMm,
                               plotter.m_fRight - kGraphInnerMarginMm, false)) {
        const float x = v * scale.mmPerUnitX;
        plotter.Text(x, -2.5f, Sprintf("%1.2f", (scale.originX + v) * scale.multX));
        // The gap between -7 mm and the axis leaves room for the label.
        plotter.Line(x, scale.axisBottom, x, -7);
        plotter.Line(x, 0, x, scale.axisTop);
    }

    plotter.SetTextAlign(CPlotter::kAlignRight | CPlotter::kAlignTop);
    for (float v :
         TickOffsets(scale.stepY, scale.mmPerUnitY, plotter.m_fBottom + kGraphInnerMarginMm,
                     plotter.m_fTop - kGraphInnerMarginMm, true)) {
        const float y = v * scale.mmPerUnitY;
        plotter.Text(-2, y + 2, Sprintf("%1.2f", (scale.originY + v) * scale.multY));
        if (scale.axisLeft < -15) plotter.Line(scale.axisLeft, y, -10, y);
        plotter.Line(0, y, scale.axisRight, y);
    }
}

void DrawScaleAndAxisLabels(CPlotter& plotter, const GraphScale& scale) {
    plotter.SetTextAlign(CPlotter::kAlignLeft | CPlotter::kAlignBaseline);
    plotter.Text(scale.axisLeft + 1.5f, plotter.m_fTop - 5,
                 Sprintf("Echx:%7.2e / Echy:%7.2e", scale.mmPerUnitX, scale.mmPerUnitY));

    plotter.SetTextAlign(CPlotter::kAlignRight | CPlotter::kAlignBottom);
    float y = 1;
    for (int curve = 0; curve < CPlotter::kCurves; ++curve) {
        if (plotter.m_nXCol[curve] < 0) continue;
        plotter.SetTextColor(kCurveColours[curve]);
        plotter.Text(scale.axisRight - 1, y,
                     Sprintf("%s*%5.0e", plotter.m_strXLabel[curve], 1 / scale.multX));
        y += 5;
    }
    plotter.SetTextAlign(CPlotter::kAlignLeft | CPlotter::kAlignBaseline);
    y = scale.axisTop - 5;
    for (int curve = 0; curve < CPlotter::kCurves; ++curve) {
        if (plotter.m_nYCol[curve] < 0) continue;
        plotter.SetTextColor(kCurveColours[curve]);
        plotter.Text(3, y, Sprintf("%s*%5.0e", plotter.m_strYLabel[curve], 1 / scale.multY));
        y -= 5;
    }
}

// Each segment is drawn whole or not at all: both ends strictly inside the
// frame shrunk by 5 mm. A no-value row therefore breaks the curve.
void DrawCurves(CPlotter& plotter) {
    QVector<QLine> segments;
    for (int curve = 0; curve < CPlotter::kCurves; ++curve) {
        const int xColumn = plotter.m_nXCol[curve], yColumn = plotter.m_nYCol[curve];
        if (xColumn < 0 || yColumn < 0 || plotter.m_nRows < 2) continue;
        segments.clear();
        const float* row = plotter.m_pT;
        float x0 = row[xColumn], y0 = row[yColumn];
        float mmX0 = (x0 - plotter.m_fOriginX) * plotter.m_fMmPerUnitX;
        float mmY0 = (y0 - plotter.m_fOriginY) * plotter.m_fMmPerUnitY;
        for (int j = 1; j < plotter.m_nRows; ++j) {
            row += CZbDoc::kColumns;
            const float x1 = row[xColumn], y1 = row[yColumn];
            const float mmX1 = (x1 - plotter.m_fOriginX) * plotter.m_fMmPerUnitX;
            const float mmY1 = (y1 - plotter.m_fOriginY) * plotter.m_fMmPerUnitY;
            if (plotter.m_fClipX1 < x0 && plotter.m_fClipY1 < y0 && x1 < plotter.m_fClipX2 &&
                y1 < plotter.m_fClipY2 && InsideInnerFrame(plotter, mmX0, mmY0) &&
                InsideInnerFrame(plotter, mmX1, mmY1))
                segments.append(QLine(plotter.ToLogical(mmX0), plotter.ToLogical(mmY0),
                                      plotter.ToLogical(mmX1), plotter.ToLogical(mmY1)));
            x0 = x1;
            y0 = y1;
            mmX0 = mmX1;
            mmY0 = mmY1;
        }
        if (segments.isEmpty()) continue;
        SelectPen(plotter, kCurveColours[curve], kCurvePenMm, Qt::FlatCap);
        plotter.m_pDC->drawLines(segments);
    }
}

// The two squares of a marker at (x, y) mm: white, then the colour on top.
void DrawMarkerSquares(CPlotter& plotter, COLORREF colour, float x, float y) {
    plotter.m_pDC->setBrush(ToQColor(kWhite));
    plotter.FillRect(x - kMarkerOuterMm, y - kMarkerOuterMm, x + kMarkerOuterMm,
                     y + kMarkerOuterMm);
    plotter.m_pDC->setBrush(ToQColor(colour));
    plotter.FillRect(x - kMarkerInnerMm, y - kMarkerInnerMm, x + kMarkerInnerMm,
                     y + kMarkerInnerMm);
}

// End of a regression line on the vertical X = xMm, moved onto the inner top
// or bottom edge when the crossing lies beyond it.
void RegressionEnd(const CPlotter& plotter, double x0, double y0, double angle, double xMm,
                   double* x, double* y) {
    CPlotter::IntersectLines(x0, y0, angle, xMm, 0, kVerticalAngle, x, y);
    const double top = plotter.m_fTop - kGraphInnerMarginMm;
    const double bottom = plotter.m_fBottom + kGraphInnerMarginMm;
    if (*y > top)
        CPlotter::IntersectLines(x0, y0, angle, 0, top, 0, x, y);
    else if (*y < bottom)
        CPlotter::IntersectLines(x0, y0, angle, 0, bottom, 0, x, y);
}

// A curve or a column out of range falls back to 0 rather than writing
// outside the tables.
void SetCurveColumn(std::int16_t* columns, QString* labels, std::int16_t curve, std::int16_t column,
                    const QString& label) {
    if (curve < 0 || curve >= CPlotter::kCurves) curve = 0;
    if (column < 0 || column >= CPlotter::kCurves) column = 0;
    columns[curve] = column;
    labels[curve] = label;
}

} // namespace

void CPlotter::SetXColumn(std::int16_t curve, std::int16_t column, const QString& label) {
    SetCurveColumn(m_nXCol, m_strXLabel, curve, column, label);
}

void CPlotter::SetYColumn(std::int16_t curve, std::int16_t column, const QString& label) {
    SetCurveColumn(m_nYCol, m_strYLabel, curve, column, label);
}

void CPlotter::ResetClip() {
    m_fClipX1 = kNoValueLow;
    m_fClipX2 = kNoValue;
    m_fClipY1 = kNoValueLow;
    m_fClipY2 = kNoValue;
}

void CPlotter::SetClip(float xa, float ya, float xb, float yb) {
    m_fClipX1 = std::min(xa, xb);
    m_fClipX2 = std::max(xa, xb);
    m_fClipY1 = std::min(ya, yb);
    m_fClipY2 = std::max(ya, yb);
}

bool CPlotter::DrawGraph() {
    GraphCurves curves;
    for (int curve = 0; curve < kCurves; ++curve) {
        curves.xColumn[curve] = m_nXCol[curve];
        curves.yColumn[curve] = m_nYCol[curve];
    }
    GraphWindow window;
    window.x1 = m_fClipX1;
    window.x2 = m_fClipX2;
    window.y1 = m_fClipY1;
    window.y2 = m_fClipY2;
    const GraphScale scale =
        ComputeGraphScale(m_pT, m_nRows, curves, window, m_fRight - m_fLeft, m_fTop - m_fBottom);
    if (!scale.valid) return true;

    // The caller's mapping put the previous frame's top-left corner at the
    // top-left of the page; the new frame takes its place.
    const int previousLeft = ToLogical(m_fLeft), previousTop = ToLogical(m_fTop);
    m_fMmPerUnitX = scale.mmPerUnitX;
    m_fMmPerUnitY = scale.mmPerUnitY;
    m_fMultX = scale.multX;
    m_fMultY = scale.multY;
    m_fOriginX = scale.originX;
    m_fOriginY = scale.originY;
    m_fLeft = scale.left;
    m_fBottom = scale.bottom;
    m_fRight = scale.right;
    m_fTop = scale.top;
    m_pDC->translate(previousLeft - ToLogical(m_fLeft), previousTop - ToLogical(m_fTop));

    KeptDrawingState kept(*this);
    DrawFooter(*this);
    DrawFrameAndAxes(*this, scale);
    DrawGridAndTicks(*this, scale);
    DrawScaleAndAxisLabels(*this, scale);
    DrawCurves(*this);
    return false;
}

void CPlotter::DrawTextBlock(float x, float y, const QStringList& lines, COLORREF colour) {
    KeptDrawingState kept(*this);
    SelectFont(*this, m_fFontMm);
    SetTextAlign(kAlignLeft | kAlignBaseline);
    SetTextColor(colour);
    const QFontMetricsF metrics(m_pDC->font());
    const float lineMm = static_cast<float>(metrics.height() + metrics.leading()) / m_fLogPerMm;
    for (int i = 0; i < lines.size(); ++i)
        Text(x, y - i * lineMm, lines.at(i));
}

void CPlotter::IntersectLines(double x1, double y1, double angle1, double x2, double y2,
                              double angle2, double* x, double* y) {
    const double c1 = std::cos(angle1), c2 = std::cos(angle2);
    const double t1 = std::tan(angle1), t2 = std::tan(angle2);
    if (std::fabs(c1) < 1e-5 && std::fabs(c2) > 1e-5) {
        *x = x1;
        *y = y2 - t2 * x2 + t2 * x1;
    } else if (std::fabs(c2) < 1e-5 && std::fabs(c1) > 1e-5) {
        *x = x2;
        *y = y1 - t1 * x1 + t1 * x2;
    } else if (std::fabs(c1 - c2) < 1e-8) {
        *x = kNoValue;
        *y = kNoValue;
    } else {
        const double b1 = y1 - t1 * x1, b2 = y2 - t2 * x2;
        *x = (b2 - b1) / (t1 - t2);
        *y = b1 + *x * t1;
    }
}

void CPlotter::DrawRegressionLine(int slot, float a1, float a0) {
    if (IsNoValue(a1) || IsNoValue(a0)) return;
    KeptDrawingState kept(*this);
    const double x0 = -m_fOriginX * m_fMmPerUnitX;
    const double y0 = (a0 - m_fOriginY) * m_fMmPerUnitY;
    const double angle = std::atan(static_cast<double>(a1) * m_fMmPerUnitY / m_fMmPerUnitX);
    double xa, ya, xb, yb;
    RegressionEnd(*this, x0, y0, angle, m_fLeft + kGraphInnerMarginMm, &xa, &ya);
    RegressionEnd(*this, x0, y0, angle, m_fRight - kGraphInnerMarginMm, &xb, &yb);

    SelectFont(*this, m_fFontMm);
    SetTextColor(kBlack);
    SetTextAlign(kAlignRight | kAlignBottom);
    // A line that misses the inner frame (parallel to an edge outside it, or
    // crossing it outside the page) has no visible end: nothing of it is drawn.
    constexpr double kOnEdgeMm = 0.01;
    auto visible = [&](double x, double y) {
        return x >= m_fLeft + kGraphInnerMarginMm - kOnEdgeMm &&
               x <= m_fRight - kGraphInnerMarginMm + kOnEdgeMm &&
               y >= m_fBottom + kGraphInnerMarginMm - kOnEdgeMm &&
               y <= m_fTop - kGraphInnerMarginMm + kOnEdgeMm;
    };
    if (visible(xa, ya) && visible(xb, yb)) {
        Line(static_cast<float>(xa), static_cast<float>(ya), static_cast<float>(xb),
             static_cast<float>(yb));
        const QString number = Sprintf("(%d)", slot);
        Text(static_cast<float>(xa), static_cast<float>(ya), number);
        Text(static_cast<float>(xb), static_cast<float>(yb), number);
    }
    Text(m_fRight - 1, m_fTop - 6 - (m_fFontMm + 0.5f) * slot,
         Sprintf("DMC %d: y=%1.3ex%-+1.3e", slot, a1, a0));
}

void CPlotter::DrawPolynomial(int slot, const CRegressionSet& regressions) {
    if (slot < 0 || slot >= CRegressionSet::kSlots) return;
    KeptDrawingState kept(*this);
    SelectPen(*this, kBlack, kPolynomialPenMm);
    SelectFont(*this, m_fFontMm);
    SetTextColor(kBlack);
    SetTextAlign(kAlignLeft | kAlignBaseline);

    // The span is walked from the smaller x, whichever point was picked
    // first; the slot itself is left as picked, its points tied to their rows.
    const float firstX = regressions.m_fPoint1[slot][0];
    const float secondX = regressions.m_fPoint2[slot][0];
    const double x1 = std::min(firstX, secondX), x2 = std::max(firstX, secondX);
    const double* coefficients = regressions.m_dCoef[slot];
    const double increment = (x2 - x1) * kPolynomialStep;
    // Both points at the same x (or not chosen): no span to walk, only the
    // coefficient list is drawn.
    if (increment > 0 && std::isfinite(increment) && !IsNoValue(firstX) && !IsNoValue(secondX)) {
        float previousX = 0, previousY = 0;
        int count = 0;
        for (double x = x1; x <= x2 && count < kMaxPolynomialPoints; x += increment, ++count) {
            double y = coefficients[CRegressionSet::kCoefficients - 1];
            for (int k = CRegressionSet::kCoefficients - 2; k >= 0; --k)
                y = y * x + coefficients[k];
            const float mmX = static_cast<float>((x - m_fOriginX) * m_fMmPerUnitX);
            const float mmY = static_cast<float>((y - m_fOriginY) * m_fMmPerUnitY);
            if (count > 0 && InsideInnerFrame(*this, previousX, previousY) &&
                InsideInnerFrame(*this, mmX, mmY))
                Line(previousX, previousY, mmX, mmY);
            previousX = mmX;
            previousY = mmY;
        }
    }

    for (int k = 0; k < CRegressionSet::kCoefficients; ++k) {
        const double a = coefficients[k];
        if (IsNoValue(a) || a == 0) continue;
        Text(m_fRight - kCoefficientColumnMm * (slot + 1), m_fTop - 6 - (m_fFontMm + 0.5f) * k,
             Sprintf("a%d[%d]=%12.3e", k, slot, a));
    }
}

void CPlotter::DrawMarker(COLORREF colour, float xs, float ys) {
    KeptDrawingState kept(*this);
    const float x = (xs / m_fMultX - m_fOriginX) * m_fMmPerUnitX;
    const float y = (ys / m_fMultY - m_fOriginY) * m_fMmPerUnitY;
    DrawMarkerSquares(*this, colour, x, y);
}

void CPlotter::DrawPointMarkers(float x1, float y1, float x2, float y2) {
    // A point not chosen yet holds no value and has no place on the page.
    if (!IsNoValue(x1) && !IsNoValue(y1))
        DrawMarker(kPointMarkerGreen, x1 * m_fMultX, y1 * m_fMultY);
    if (!IsNoValue(x2) && !IsNoValue(y2))
        DrawMarker(kPointMarkerGreen, x2 * m_fMultX, y2 * m_fMultY);
}

void CPlotter::DrawCursorPoint(COLORREF colour, float xs, float ys) {
    KeptDrawingState kept(*this);
    const float x = (xs / m_fMultX - m_fOriginX) * m_fMmPerUnitX;
    const float y = (ys / m_fMultY - m_fOriginY) * m_fMmPerUnitY;
    SelectFont(*this, m_fFontMm * 0.85f);
    SetTextColor(colour);
    SetTextAlign(kAlignCenter | kAlignBottom);
    Text(x, y + 1.5f, Sprintf("%1.3f, %1.3f", xs, ys));
    DrawMarkerSquares(*this, colour, x, y);
}
