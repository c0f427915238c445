#pragma once

#include <QColor>
#include <cstdint>

// Colours are kept as 32-bit words 0x00BBGGRR (red in the low byte), the form
// the .cod file stores.
using COLORREF = std::uint32_t;

constexpr COLORREF MakeColorRef(int red, int green, int blue) {
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int ColorRefRed(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int ColorRefGreen(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int ColorRefBlue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline QColor ToQColor(COLORREF c) {
    return QColor(ColorRefRed(c), ColorRefGreen(c), ColorRefBlue(c));
}
inline COLORREF FromQColor(const QColor& c) {
    return MakeColorRef(c.red(), c.green(), c.blue());
}
