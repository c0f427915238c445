#include "output/printpage.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>

#include "view/viewdraw.h"

namespace {
// A4 landscape is 842 x 595 pt as Qt rounds it. Margins of a third of an inch
// (24 pt, 8.47 mm; whole points so that the sheet lands exactly there) leave
// 280.1 x 193.0 mm for the 270 x 190 mm sheet.
constexpr double kMarginPoints = 24;
} // namespace

void SetUpPrintPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Landscape,
        QMarginsF(kMarginPoints, kMarginPoints, kMarginPoints, kMarginPoints), QPageLayout::Point));
}

bool PrintDocument(QPagedPaintDevice& device, CZbDoc& doc, CZbApp& app) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    // The painter's origin is the top-left of the printable area; each display
    // mode sets its own true-size mapping from there.
    DrawDocument(painter, doc, app, true, false);
    return painter.end();
}
