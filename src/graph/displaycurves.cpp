#include "graph/displaycurves.h"

#include <QString>
#include <algorithm>

#include "common/novalue.h"
#include "doc/zbdoc.h"
#include "graph/graphscale.h"
#include "graph/plotter.h"

namespace {

struct CurveRow {
    std::int16_t bit;
    const char* xLabel;
    const char* yLabel;
};

// Each shown row takes the next curve.
const CurveRow kCountedCurves[] = {
    {kChannelCh1, "CH1:t(s)", "CH1:U(V)"},    {kChannelCh2, "CH2:t(s)", "CH2:U(V)"},
    {kChannelRef1, "REF1:t(s)", "REF1:U(V)"}, {kChannelRef2, "REF2:t(s)", "REF2:U(V)"},
    {kChannelMath, "MATH:t(s)", "MATH"},      {kChannelImage, "t(s)", "U_Ref(V)"},
};
const CurveRow kEdgesCurve = {kChannelEdges, "FRONTS:t(s)", "FRONTS:U(V)"};
const CurveRow kLogicCurve = {kChannelLogic, "N°", "Niv. logique"};

// A curve beyond the plotter's six falls back to curve 0, as the plotter does.
std::int16_t CurveIndex(int curve) {
    return static_cast<std::int16_t>(curve < GraphCurves::kCurves ? curve : 0);
}

} // namespace

std::vector<DisplayedCurve> DisplayedCurves(const CZbDoc& doc) {
    std::vector<DisplayedCurve> curves;
    int curve = 0;
    std::int16_t xColumn, yColumn;
    for (const CurveRow& row : kCountedCurves) {
        if (!(doc.m_nDisplay & row.bit)) continue;
        if (row.bit == kChannelImage) {
            // The reference-voltage line lives in the edge columns.
            xColumn = 4;
            yColumn = 5;
        } else {
            doc.GetChannelColumns(row.bit, &xColumn, &yColumn);
        }
        curves.push_back({CurveIndex(curve++), xColumn, yColumn, row.xLabel, row.yLabel});
    }
    if (doc.m_nDisplay & kChannelEdges) {
        doc.GetChannelColumns(kChannelEdges, &xColumn, &yColumn);
        curves.push_back(
            {CurveIndex(curve), xColumn, yColumn, kEdgesCurve.xLabel, kEdgesCurve.yLabel});
    }
    if (doc.m_nDisplay & kChannelLogic)
        curves.push_back({0, 0, 1, kLogicCurve.xLabel, kLogicCurve.yLabel});
    return curves;
}

void AssignDisplayedCurves(CPlotter& plotter, const CZbDoc& doc) {
    for (const DisplayedCurve& shown : DisplayedCurves(doc)) {
        plotter.SetXColumn(shown.curve, shown.xColumn, QString::fromUtf8(shown.xLabel));
        plotter.SetYColumn(shown.curve, shown.yColumn, QString::fromUtf8(shown.yLabel));
    }
}

void SetGraphMultipliers(CZbDoc& doc) {
    GraphCurves curves;
    for (const DisplayedCurve& shown : DisplayedCurves(doc)) {
        curves.xColumn[shown.curve] = shown.xColumn;
        curves.yColumn[shown.curve] = shown.yColumn;
    }
    GraphWindow window;
    window.x1 = doc.m_fZoomX1;
    window.x2 = doc.m_fZoomX2;
    window.y1 = doc.m_fZoomY1;
    window.y2 = doc.m_fZoomY2;
    const GraphScale scale = ComputeGraphScale(
        &doc.m_fT[0][0], std::min<int>(doc.m_nPoints, CZbDoc::kCapacity), curves, window,
        doc.m_fFrameRight - doc.m_fFrameLeft, doc.m_fFrameTop - doc.m_fFrameBottom);
    if (!scale.valid) return;
    doc.m_fMultX = scale.multX;
    doc.m_fMultY = scale.multY;
}
