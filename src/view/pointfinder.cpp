#include "view/pointfinder.h"

#include <algorithm>
#include <cmath>

#include "common/novalue.h"
#include "doc/zbdoc.h"

bool FindPoint(const CZbDoc& doc, float x, float y, float* tolerance, std::int16_t* row,
               std::int16_t* xCol, std::int16_t* yCol) {
    static constexpr std::int16_t kSearched[] = {kChannelCh1, kChannelCh2, kChannelRef1,
                                                 kChannelRef2, kChannelMath};
    // The stored capacity comes from the file: never trust it beyond the table.
    const int rows = std::clamp<int>(doc.m_nCapacity, 0, CZbDoc::kCapacity);
    float best = kNoValue;
    for (const std::int16_t channel : kSearched) {
        if (!(doc.m_nDisplay & channel)) continue;
        std::int16_t xc = 0, yc = 0;
        doc.GetChannelColumns(channel, &xc, &yc);
        for (int i = 0; i < rows; ++i) {
            const float sampleX = doc.m_fT[i][xc];
            const float sampleY = doc.m_fT[i][yc];
            if (IsNoValue(sampleX) || IsNoValue(sampleY)) continue;
            const float dx = doc.m_fMultX * sampleX - x;
            const float dy = doc.m_fMultY * sampleY - y;
            const float d = std::sqrt(dx * dx + dy * dy);
            best = std::min(best, d);
            if (d < *tolerance) {
                *tolerance = best;
                *row = static_cast<std::int16_t>(i);
                *xCol = xc;
                *yCol = yc;
                return true;
            }
        }
    }
    *tolerance = best;
    return false;
}
