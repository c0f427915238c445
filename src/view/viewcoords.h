#pragma once

#include <QSize>
#include <cstdint>

class CZbDoc;

// A point in page millimetres or in graph units, as the view computes them.
struct FloatPoint {
    float x = 0;
    float y = 0;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
};

// Conversions between the view's pixels (y downward), the document's page
// window in millimetres (y upward) and graph values as shown (data value times
// the multiplier). The page is fitted isotropically into the client area from
// its top-left corner, as the screen mapping draws it.
class CViewCoords {
  public:
    CViewCoords(const CZbDoc& doc, QSize client);

    // Pixels per millimetre of the screen mapping.
    float Scale() const { return m_fScale; }

    FloatPoint PixelToPage(float px, float py) const;
    PixelPoint PageToPixel(float x, float y) const;
    FloatPoint PageToShown(float x, float y) const;
    FloatPoint ShownToPage(float X, float Y) const;
    FloatPoint DataToShown(float x, float y) const;

    FloatPoint PixelToShown(float px, float py) const;
    PixelPoint ShownToPixel(float X, float Y) const;

  private:
    const CZbDoc& m_doc;
    float m_fScale;
};
