#include "decode/extraction.h"

#include <algorithm>

#include "doc/zbdoc.h"

ExtractionZone ZoneFromShown(const CZbDoc& doc, float xa, float ya, float xb, float yb) {
    // Shown value = data value x multiplier; a multiplier never set counts as 1.
    const float multX = doc.m_fMultX != 0 ? doc.m_fMultX : 1.0f;
    const float multY = doc.m_fMultY != 0 ? doc.m_fMultY : 1.0f;
    const float x1 = xa / multX, x2 = xb / multX;
    const float y1 = ya / multY, y2 = yb / multY;
    ExtractionZone zone;
    zone.fXMin = std::min(x1, x2);
    zone.fXMax = std::max(x1, x2);
    zone.fYMin = std::min(y1, y2);
    zone.fYMax = std::max(y1, y2);
    return zone;
}

int EraseOutsideZone(CZbDoc* doc, std::int16_t xCol, std::int16_t yCol,
                     const ExtractionZone& zone) {
    int erased = 0;
    for (int row = 0; row < CZbDoc::kCapacity; ++row) {
        float& x = doc->m_fT[row][xCol];
        float& y = doc->m_fT[row][yCol];
        const bool valid = !IsNoValue(x) && !IsNoValue(y);
        const bool inside = zone.fXMin < x && x < zone.fXMax && zone.fYMin < y && y < zone.fYMax;
        if (valid && inside) continue;
        if (valid) ++erased;
        x = kNoValue;
        y = kNoValue;
    }
    return erased;
}
