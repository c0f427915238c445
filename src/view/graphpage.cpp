#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/displaycurves.h"
#include "graph/plotter.h"
#include "graph/regressionset.h"
#include "view/mapping.h"
#include "view/viewdraw.h"

namespace {

constexpr COLORREF kLegendBlue = 0xFF0000;
constexpr COLORREF kCursorFound = 0xFF0000;
constexpr COLORREF kCursorFree = 0x000000;

void DrawRegressions(CPlotter& plotter, const CRegressionSet& regressions) {
    for (int slot = 0; slot < CRegressionSet::kSlots; ++slot) {
        if (!regressions.m_bDraw[slot] || !regressions.m_bComputed[slot]) continue;
        if (regressions.m_nType[slot] == 0)
            plotter.DrawRegressionLine(slot, static_cast<float>(regressions.m_dCoef[slot][1]),
                                       static_cast<float>(regressions.m_dCoef[slot][0]));
        else
            plotter.DrawPolynomial(slot, regressions);
        plotter.DrawPointMarkers(regressions.m_fPoint1[slot][0], regressions.m_fPoint1[slot][1],
                                 regressions.m_fPoint2[slot][0], regressions.m_fPoint2[slot][1]);
    }
}

} // namespace

void DrawGraphPage(QPainter& painter, CZbDoc& doc, CZbApp& app, bool printing, bool clickFound) {
    if (printing) {
        SetPrintMapping(painter, doc.m_fFrameLeft, doc.m_fFrameBottom, doc.m_fFrameRight,
                        doc.m_fFrameTop);
        // A printed page has no cursor.
        app.ClearReference();
    } else {
        const QPaintDevice* device = painter.device();
        const QSize client = device ? QSize(device->width(), device->height()) : QSize();
        SetScreenMapping(painter, client, doc.m_fFrameLeft, doc.m_fFrameBottom, doc.m_fFrameRight,
                         doc.m_fFrameTop);
    }
    if (doc.m_nPoints < 1) return;
    // The device's own thin black pen, which the regression lines use.
    painter.setPen(QPen(Qt::black, 0));

    CPlotter plotter(&painter, &doc, printing);
    AssignDisplayedCurves(plotter, doc);
    plotter.SetClip(doc.m_fZoomX1, doc.m_fZoomY1, doc.m_fZoomX2, doc.m_fZoomY2);
    if (plotter.DrawGraph()) return;
    if (doc.m_bLegend)
        plotter.DrawTextBlock(doc.m_fLegendX, doc.m_fLegendY, doc.m_astrLegend, kLegendBlue);
    if (doc.m_pRegressions) DrawRegressions(plotter, *doc.m_pRegressions);
    if (!IsNoValue(app.m_fRefX) && !IsNoValue(app.m_fRefY))
        plotter.DrawCursorPoint(clickFound ? kCursorFound : kCursorFree, app.m_fMouseX,
                                app.m_fMouseY);
}
