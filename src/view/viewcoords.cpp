#include "view/viewcoords.h"

#include <algorithm>
#include <cmath>

#include "doc/zbdoc.h"

namespace {
// Pixel positions are kept in 16-bit members: a point far off the page (a
// sample outside the zoom window) is pinned to the edge of that range.
int ToPixel(float value) {
    constexpr float kLimit = 32767;
    if (!(value > -kLimit)) return -32767; // also NaN
    if (value > kLimit) return 32767;
    return static_cast<int>(value);
}
} // namespace

CViewCoords::CViewCoords(const CZbDoc& doc, QSize client) : m_doc(doc) {
    const float width = doc.m_fFrameRight - doc.m_fFrameLeft;
    const float height = doc.m_fFrameTop - doc.m_fFrameBottom;
    m_fScale = std::min(client.width() / width, client.height() / height);
    // A degenerate page window (or an empty client) would give infinities that
    // end up as pixel coordinates: keep one pixel per millimetre instead.
    if (!std::isfinite(m_fScale) || m_fScale <= 0) m_fScale = 1;
}

FloatPoint CViewCoords::PixelToPage(float px, float py) const {
    return {px / m_fScale + m_doc.m_fFrameLeft, m_doc.m_fFrameTop - py / m_fScale};
}

PixelPoint CViewCoords::PageToPixel(float x, float y) const {
    return {ToPixel(m_fScale * (x - m_doc.m_fFrameLeft)),
            ToPixel(m_fScale * (m_doc.m_fFrameTop - y))};
}

FloatPoint CViewCoords::PageToShown(float x, float y) const {
    return {(x / m_doc.m_fMmPerUnitX + m_doc.m_fOriginX) * m_doc.m_fMultX,
            (y / m_doc.m_fMmPerUnitY + m_doc.m_fOriginY) * m_doc.m_fMultY};
}

FloatPoint CViewCoords::ShownToPage(float X, float Y) const {
    return {(X / m_doc.m_fMultX - m_doc.m_fOriginX) * m_doc.m_fMmPerUnitX,
            (Y / m_doc.m_fMultY - m_doc.m_fOriginY) * m_doc.m_fMmPerUnitY};
}

FloatPoint CViewCoords::DataToShown(float x, float y) const {
    return {m_doc.m_fMultX * x, m_doc.m_fMultY * y};
}

FloatPoint CViewCoords::PixelToShown(float px, float py) const {
    const FloatPoint page = PixelToPage(px, py);
    return PageToShown(page.x, page.y);
}

PixelPoint CViewCoords::ShownToPixel(float X, float Y) const {
    const FloatPoint page = ShownToPage(X, Y);
    return PageToPixel(page.x, page.y);
}
