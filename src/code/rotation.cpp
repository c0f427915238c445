#include "code/rotation.h"

#include <algorithm>
#include <limits>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

std::int16_t RotationChannel(std::int16_t display) {
    std::int16_t channel = 0;
    for (std::int16_t bit : {kChannelCh1, kChannelCh2, kChannelRef1, kChannelRef2, kChannelMath})
        if (display & bit) channel = bit;
    return channel;
}

void ReverseTrace(SampleRow* table, int rows, int yCol) {
    for (int i = 0, j = rows - 1; i < j; ++i, --j)
        std::swap(table[i][yCol], table[j][yCol]);
}

bool TwiceMiddleLevel(const SampleRow* table, int rows, int xCol, int yCol, double* twiceMiddle) {
    float minimum = std::numeric_limits<float>::max();
    float maximum = std::numeric_limits<float>::lowest();
    bool any = false;
    for (int i = 0; i < rows; ++i) {
        const float x = table[i][xCol];
        const float y = table[i][yCol];
        if (IsNoValue(x) || IsNoValue(y)) continue;
        minimum = std::min(minimum, y);
        maximum = std::max(maximum, y);
        any = true;
    }
    // Worked in double so that inverting twice gives the trace back.
    if (any) *twiceMiddle = static_cast<double>(maximum) + minimum;
    return any;
}

void MirrorTrace(SampleRow* table, int rows, int yCol, double twiceMiddle) {
    for (int i = 0; i < rows; ++i) {
        float& y = table[i][yCol];
        if (!IsNoValue(y)) y = static_cast<float>(twiceMiddle - y);
    }
}

void InvertTrace(SampleRow* table, int rows, int xCol, int yCol) {
    double twiceMiddle = 0;
    if (TwiceMiddleLevel(table, rows, xCol, yCol, &twiceMiddle))
        MirrorTrace(table, rows, yCol, twiceMiddle);
}

bool RotateTrace(CZbDoc* doc, CZbApp* app, bool aboutX, bool aboutY) {
    const int rows = std::clamp<int>(doc->m_nPoints, 0, CZbDoc::kCapacity);
    const std::int16_t channel = RotationChannel(doc->m_nDisplay);
    if (rows == 0 || !(aboutX || aboutY) || channel == 0) return false;

    std::int16_t xCol = 0, yCol = 0;
    doc->GetChannelColumns(channel, &xCol, &yCol);
    // The middle level is that of the trace as it was: once reversed, the
    // values no longer sit beside their own times.
    double twiceMiddle = 0;
    const bool invert = aboutX && TwiceMiddleLevel(doc->m_fT.get(), rows, xCol, yCol, &twiceMiddle);
    if (aboutY) ReverseTrace(doc->m_fT.get(), rows, yCol);
    if (invert) MirrorTrace(doc->m_fT.get(), rows, yCol, twiceMiddle);
    doc->m_nRotation =
        static_cast<std::int16_t>((aboutX ? kRotationAboutX : 0) + (aboutY ? kRotationAboutY : 0));
    if (app) {
        app->ClearReference();
        app->m_nRefPixelX = 0;
        app->m_nRefPixelY = 0;
    }
    return true;
}
