#include "view/viewcursor.h"

#include "common/colorref.h"
#include "common/format.h"
#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/imagerow.h"
#include "view/pointfinder.h"
#include "view/viewcoords.h"
#include "view/viewtools.h"

namespace {

// A marker and its label fill this box around the marked pixel.
constexpr int kMarkHalfWidth = 50;
constexpr int kMarkAbove = 25;
constexpr int kMarkBelow = 5;

std::int16_t ToInt16(int value) {
    return static_cast<std::int16_t>(qBound(-32768, value, 32767));
}

QRect MarkRect(int x, int y) {
    return QRect(QPoint(x - kMarkHalfWidth, y - kMarkAbove),
                 QPoint(x + kMarkHalfWidth, y + kMarkBelow));
}

QString ImageReadout(const CZbDoc& doc, const CZbApp& app) {
    if (!InImage(doc, app.m_nMouseX, app.m_nMouseY)) return QString();
    const std::uint32_t v = doc.m_pImage->Pixel(app.m_nMouseX, app.m_nMouseY);
    const bool colour = doc.m_nImageBits == 24;
    // A reference left outside a smaller image read since counts as none.
    const bool noReference = (app.m_nRefPixelX == 0 && app.m_nRefPixelY == 0) ||
                             !InImage(doc, app.m_nRefPixelX, app.m_nRefPixelY);
    if (noReference) {
        if (colour)
            return Sprintf("X:%d, Y:%d, R:%d, V:%d, B:%d", app.m_nMouseX, app.m_nMouseY,
                           ColorRefRed(v), ColorRefGreen(v), ColorRefBlue(v));
        return Sprintf("X:%d, Y:%d, W:%d", app.m_nMouseX, app.m_nMouseY, int(v));
    }
    const std::uint32_t r = doc.m_pImage->Pixel(app.m_nRefPixelX, app.m_nRefPixelY);
    const int dX = app.m_nMouseX - app.m_nRefPixelX;
    const int dY = app.m_nMouseY - app.m_nRefPixelY;
    if (colour)
        return Sprintf("dX:%d, dY:%d, dR:%d, dV:%d, dB:%d", dX, dY, ColorRefRed(v) - ColorRefRed(r),
                       ColorRefGreen(v) - ColorRefGreen(r), ColorRefBlue(v) - ColorRefBlue(r));
    return Sprintf("dX:%d, dY:%d, dW:%d", dX, dY, int(v) - int(r));
}

} // namespace

void CViewCursor::MouseMove(const CViewCoords& coords, CZbApp& app, int px, int py) {
    const FloatPoint shown = coords.PixelToShown(px, py);
    app.m_fMouseX = shown.x;
    app.m_fMouseY = shown.y;
    app.m_nMouseX = ToInt16(px);
    app.m_nMouseY = ToInt16(py);
}

void CViewCursor::SetReferencePixel(CZbApp& app, int px, int py) {
    app.m_nRefPixelX = ToInt16(px);
    app.m_nRefPixelY = ToInt16(py);
}

QRect CViewCursor::PlainClick(const CZbDoc& doc, CZbApp& app, const CViewCoords& coords, int px,
                              int py) {
    const FloatPoint click = coords.PixelToShown(px, py);
    // A copy: the finder reports the distance through it, and the regression
    // tolerance must stay what the user set.
    float tolerance = doc.m_pRegressions->m_fTolerance;
    std::int16_t row = -1, xCol = -1, yCol = -1;
    const bool found = FindPoint(doc, click.x, click.y, &tolerance, &row, &xCol, &yCol);
    m_bClickFound = found;
    FloatPoint point = click;
    if (found) {
        point = coords.DataToShown(doc.m_fT[row][xCol], doc.m_fT[row][yCol]);
        m_nSelXCol = xCol;
        m_nSelYCol = yCol;
        m_nSelRow = row;
    }
    app.m_fRefX = app.m_fMouseX = point.x;
    app.m_fRefY = app.m_fMouseY = point.y;
    const QRect dirty = MarksRect(app.m_nMarkX, app.m_nMarkY, px, py);
    app.m_nMarkX = ToInt16(px);
    app.m_nMarkY = ToInt16(py);
    return dirty;
}

void CViewCursor::PickForRegression(const CZbDoc& doc, const CViewCoords& coords, int px, int py,
                                    CPointPickingTool* tool) {
    const CRegressionSet& set = *doc.m_pRegressions;
    if (set.m_nSlot < 0 || set.m_nSlot >= CRegressionSet::kSlots) return;
    if (set.m_nPicking[set.m_nSlot] <= 0) return;
    const FloatPoint click = coords.PixelToShown(px, py);
    float tolerance = set.m_fTolerance;
    std::int16_t row = -1, xCol = -1, yCol = -1;
    const bool found = FindPoint(doc, click.x, click.y, &tolerance, &row, &xCol, &yCol);
    m_bClickFound = found;
    if (tool) tool->PickPoint(found, row, xCol, yCol, click.x, click.y, tolerance);
}

QRect CViewCursor::StepSelection(const CZbDoc& doc, CZbApp& app, const CViewCoords& coords,
                                 int steps) {
    if (!HasSelection() || steps == 0) return QRect();
    m_nSelRow = StepRow(m_nSelRow, doc.m_nPoints, steps);
    float x = 0, y = 0;
    if (!ReadSample(doc, m_nSelXCol, m_nSelYCol, m_nSelRow, &x, &y)) return QRect();
    const FloatPoint shown = coords.DataToShown(x, y);
    app.m_fRefX = app.m_fMouseX = shown.x;
    app.m_fRefY = app.m_fMouseY = shown.y;
    if (!m_bClickFound) return QRect();
    const PixelPoint pixel = coords.ShownToPixel(shown.x, shown.y);
    const QRect dirty = MarksRect(app.m_nMarkX, app.m_nMarkY, pixel.x, pixel.y);
    app.m_nMarkX = ToInt16(pixel.x);
    app.m_nMarkY = ToInt16(pixel.y);
    return dirty;
}

QRect MarksRect(int x1, int y1, int x2, int y2) {
    return MarkRect(x1, y1).united(MarkRect(x2, y2));
}

std::int16_t StepRow(std::int16_t row, std::int16_t points, int steps) {
    int r = row;
    for (int i = 0; i < steps; ++i)
        if (++r > points) r = 0;
    for (int i = 0; i > steps; --i)
        if (--r < 0) r = points;
    return static_cast<std::int16_t>(r);
}

bool ReadSample(const CZbDoc& doc, std::int16_t xCol, std::int16_t yCol, std::int16_t row, float* x,
                float* y) {
    // After an acquisition filling the whole table the cycle reaches row
    // 5000, one past its end: that row holds no value.
    if (row < 0 || row >= CZbDoc::kCapacity) return false;
    if (xCol < 0 || xCol >= CZbDoc::kColumns || yCol < 0 || yCol >= CZbDoc::kColumns) return false;
    const float cellX = doc.m_fT[row][xCol];
    const float cellY = doc.m_fT[row][yCol];
    if (IsNoValue(cellX) || IsNoValue(cellY)) return false;
    *x = cellX;
    *y = cellY;
    return true;
}

QString MouseReadout(const CZbDoc& doc, const CZbApp& app) {
    if (doc.m_nDisplay & kChannelImage) return ImageReadout(doc, app);
    if (!app.HasReference()) return Sprintf("x:%8.3f, y:%8.3f", app.m_fMouseX, app.m_fMouseY);
    return Sprintf("dx:%8.3f, dy:%8.3f", app.m_fMouseX - app.m_fRefX, app.m_fMouseY - app.m_fRefY);
}
