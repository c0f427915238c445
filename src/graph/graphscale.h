#pragma once

#include <cstdint>
#include <vector>

#include "common/novalue.h"

// Automatic scaling of a graph: from the samples of up to six curves inside a
// data window and the size of the frame, the scales, tick steps, display
// multipliers, axis origins and the frame's place around the axes crossing.
//
// The searches count in single precision on purpose: the multipliers and
// origins they give (9.999999, 12.250029...) are what the graph has always
// shown, and the mouse readout relies on the same values.

// Curves, grid, axes and the marks over a graph stay this far inside the
// frame, in mm.
constexpr float kGraphInnerMarginMm = 5;

// Data window: a sample is used only when x1 < x < x2 and y1 < y < y2.
struct GraphWindow {
    float x1 = kNoValueLow, x2 = kNoValue, y1 = kNoValueLow, y2 = kNoValue;

    bool Contains(float x, float y) const { return x1 < x && x < x2 && y1 < y && y < y2; }
};

// Which table columns make each curve; -1 = not drawn.
struct GraphCurves {
    static constexpr int kCurves = 6;
    std::int16_t xColumn[kCurves] = {-1, -1, -1, -1, -1, -1};
    std::int16_t yColumn[kCurves] = {-1, -1, -1, -1, -1, -1};

    bool IsSet(int curve) const { return xColumn[curve] >= 0 && yColumn[curve] >= 0; }
};

struct GraphScale {
    // False when no curve has two samples inside the window (or the data
    // cannot be scaled): nothing at all is drawn then.
    bool valid = false;
    float xMin = 0, xMax = 0, yMin = 0, yMax = 0; // bounds, widened when flat
    float mmPerUnitX = 1, mmPerUnitY = 1;
    float stepX = 0, stepY = 0;                     // tick steps in data units
    float multX = 1, multY = 1;                     // shown value = data value x multiplier
    float originX = 0, originY = 0;                 // data values at the axes crossing
    float left = 0, bottom = 0, right = 0, top = 0; // frame, mm from the axes crossing
    // Extents of the axes and of the inner grid frame, in mm: multiples of the
    // tick spacing at least 5 mm inside the frame.
    float axisLeft = 0, axisRight = 0, axisBottom = 0, axisTop = 0;
};

// table: rows of six floats. width, height: frame size in mm (kept; only the
// frame's position follows the data).
GraphScale ComputeGraphScale(const float* table, int rows, const GraphCurves& curves,
                             const GraphWindow& window, float width, float height);

// The pieces of ComputeGraphScale, each usable on its own.

// Tick step for a scale in mm per unit and a data range: one step spans more
// than 10 mm and at most 100 mm, then quartered for 2 steps or fewer, halved
// for 5 or fewer and, when doubleWhenMany, doubled for more than 12.
// Returns 0 when the scale is not a positive finite number.
float TickStep(float mmPerUnit, float range, bool doubleWhenMany);

// Near power of ten (0.99999994 for 1) that brings the larger magnitude of lo,
// hi to at least 1; 1 when that value is 0.
float DisplayMultiplier(float lo, float hi);

// Data value at the axes crossing: the last multiple of step below lo for
// positive data, the first one above lo for negative data, 0 when the range
// spans 0.
float AxisOrigin(float lo, float hi, float step);

// Largest multiple of spacing that is <= high (0 when spacing itself is
// beyond) and most negative multiple that is >= low (0 when -spacing is below).
void AxisExtent(float spacing, float low, float high, float* begin, float* end);

// Offsets v (data units from the origin) of the ticks: from first by step
// while v x mmPerUnit <= highMm, then from -step down while v x mmPerUnit >=
// lowMm. The offsets accumulate in single precision.
std::vector<float> TickOffsets(float step, float mmPerUnit, float lowMm, float highMm,
                               bool withZero);
