#pragma once

#include <cstdint>

// The modeless tools that take the view's mouse while they are open. The view
// only knows these narrow interfaces; each dialog implements the one it needs.

// Zoom and code extraction: told the rectangle the user drew, moved or
// resized, corners in shown units (x1, y1 top-left, x2, y2 bottom-right).
class CRectangleTool {
  public:
    virtual ~CRectangleTool() = default;
    virtual void SetRectangle(float x1, float y1, float x2, float y2) = 0;
};

// Regression: told the outcome of a click while a point is awaited. When found,
// row, xCol and yCol give the sample; otherwise distance is the smallest
// distance met. (x, y) is the click in shown units.
class CPointPickingTool {
  public:
    virtual ~CPointPickingTool() = default;
    virtual void PickPoint(bool found, std::int16_t row, std::int16_t xCol, std::int16_t yCol,
                           float x, float y, float distance) = 0;
};
