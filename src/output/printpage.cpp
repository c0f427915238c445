#include "output/printpage.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>

#include "view/viewdraw.h"

namespace {
// A4 landscape is 297 x 210 mm (Qt rounds it to 842 x 595 pt); 8 mm on every
// side leaves 281 x 193.9 mm for the 270 x 190 mm sheet.
constexpr double kMarginMm = 8;
} // namespace

void SetUpPrintPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
}

void DrawPrintedPage(QPainter& painter, CZbDoc& doc, CZbApp& app) {
    // The painter's origin is the top-left of the printable area; each display
    // mode sets its own true-size mapping from there.
    DrawDocument(painter, doc, app, true, false);
}

bool PrintDocument(QPagedPaintDevice& device, CZbDoc& doc, CZbApp& app) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    DrawPrintedPage(painter, doc, app);
    return painter.end();
}
