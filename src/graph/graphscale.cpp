#include "graph/graphscale.h"

#include <cmath>

#include "doc/zbdoc.h"

namespace {

constexpr float kAxisMarginMm = 70;    // frame size less this is the data span
constexpr float kFrameMarginMm = 30;   // frame edge to the axis crossing
constexpr float kFlatRange = 1e-8f;    // a range below this is widened
constexpr float kFlatWidening = 0.01f; // by this much on each side
constexpr float kSearchStart = 1e-10f; // first near power of ten of the searches
// The power-of-ten searches go from 1e-10 up past the largest float within
// 49 steps; more means the input was not a number.
constexpr int kMaxPowerSteps = 60;
// The origin is found by repeated addition of the step. Beyond this many steps
// the addition loses the step (values near 1e8 with a step of 0.1 never reach
// the target), so the multiple is computed directly instead.
constexpr double kMaxOriginSteps = 100000;
// Ticks and axis extents are at least 2.5 mm apart on a page; a bound far
// above any page keeps a broken scale from looping.
constexpr int kMaxTicks = 4000;

// Widens a flat range. Near 1e8 the 0.01 is lost to rounding; the range is
// then widened by a few units of the last place so it can still be scaled.
void WidenFlatRange(float* lo, float* hi) {
    if (std::fabs(*hi - *lo) >= kFlatRange) return;
    *hi += kFlatWidening;
    *lo -= kFlatWidening;
    if (*hi - *lo > 0) return;
    const float extra = std::fabs(*hi) * 1e-6f;
    *hi += extra;
    *lo -= extra;
}

// Origin from the multiple of step next to lo, in double precision: used when
// the repeated addition would take too long or stall.
float DirectOrigin(float lo, float step) {
    const double count = static_cast<double>(lo) / step;
    if (lo > 0) return static_cast<float>((std::ceil(count) - 1) * step);
    return static_cast<float>((std::floor(count) + 1) * step);
}

// Low edge of the frame on one axis, mm from the axes crossing: 30 mm below
// the lowest value when the axis starts at 0, else 30 mm below the axis. Data
// wholly below 0 reach up to a step past the axis, which can be beyond the
// inner frame; the edge then moves out so that they are still drawn.
float FrameLowEdge(float lo, float origin, float mmPerUnit) {
    if (origin == 0) return lo * mmPerUnit - kFrameMarginMm;
    const float lowest = (lo - origin) * mmPerUnit;
    return std::fmin(-kFrameMarginMm, lowest - 2 * kGraphInnerMarginMm);
}

} // namespace

float TickStep(float mmPerUnit, float range, bool doubleWhenMany) {
    if (!(mmPerUnit > 0) || std::isinf(mmPerUnit)) return 0;
    float power = kSearchStart;
    int steps = 0;
    do {
        power *= 10;
    } while (!(power * mmPerUnit > 1) && ++steps < kMaxPowerSteps);
    if (!(power * mmPerUnit > 1) || std::isinf(power)) return 0;
    float step = 10 * power;
    const float ratio = range / step;
    const int n = ratio < 1e6f ? static_cast<int>(ratio) : 1000000;
    if (n <= 2)
        step *= 0.25f;
    else if (n <= 5)
        step *= 0.5f;
    if (doubleWhenMany && n > 12) step *= 2;
    return step;
}

float DisplayMultiplier(float lo, float hi) {
    const float value = std::fabs(lo) > std::fabs(hi) ? lo : hi;
    if (value == 0) return 1;
    float multiplier = kSearchStart;
    int steps = 0;
    do {
        multiplier *= 10;
    } while (std::fabs(value * multiplier) < 1 && ++steps < kMaxPowerSteps);
    return std::isinf(multiplier) ? 1 : multiplier;
}

float AxisOrigin(float lo, float hi, float step) {
    if (lo <= 0 && 0 <= hi) return 0;
    if (!(step > 0) || std::isinf(step)) return 0;
    if (std::fabs(static_cast<double>(lo) / step) > kMaxOriginSteps) return DirectOrigin(lo, step);
    float origin = 0;
    if (lo > 0) {
        while (origin < lo)
            origin += step;
        return origin - step;
    }
    while (origin > lo)
        origin -= step;
    return origin + step;
}

void AxisExtent(float spacing, float low, float high, float* begin, float* end) {
    *begin = 0;
    *end = 0;
    if (!(spacing > 0)) return;
    int count = 0;
    for (float m = spacing; m <= high && count < kMaxTicks; m += spacing, ++count)
        *end = m;
    count = 0;
    for (float m = -spacing; m >= low && count < kMaxTicks; m -= spacing, ++count)
        *begin = m;
}

std::vector<float> TickOffsets(float step, float mmPerUnit, float lowMm, float highMm,
                               bool withZero) {
    std::vector<float> offsets;
    if (!(step > 0)) return offsets;
    int count = 0;
    for (float v = withZero ? 0 : step; v * mmPerUnit <= highMm && count < kMaxTicks;
         v += step, ++count)
        offsets.push_back(v);
    count = 0;
    for (float v = -step; v * mmPerUnit >= lowMm && count < kMaxTicks; v -= step, ++count)
        offsets.push_back(v);
    return offsets;
}

GraphScale ComputeGraphScale(const float* table, int rows, const GraphCurves& curves,
                             const GraphWindow& window, float width, float height) {
    GraphScale scale;
    float xMin = kNoValue, yMin = kNoValue, xMax = kNoValueLow, yMax = kNoValueLow;
    int count[GraphCurves::kCurves] = {};
    for (int row = 0; table && row < rows; ++row) {
        const float* cells = table + static_cast<long>(row) * CZbDoc::kColumns;
        for (int curve = 0; curve < GraphCurves::kCurves; ++curve) {
            if (!curves.IsSet(curve)) continue;
            const float x = cells[curves.xColumn[curve]];
            const float y = cells[curves.yColumn[curve]];
            if (!window.Contains(x, y)) continue;
            xMin = std::fmin(xMin, x);
            xMax = std::fmax(xMax, x);
            yMin = std::fmin(yMin, y);
            yMax = std::fmax(yMax, y);
            ++count[curve];
        }
    }
    bool enough = false;
    for (int curve = 0; curve < GraphCurves::kCurves; ++curve)
        if (curves.IsSet(curve) && count[curve] >= 2) enough = true;
    if (!enough) return scale;

    WidenFlatRange(&yMin, &yMax);
    WidenFlatRange(&xMin, &xMax);
    scale.xMin = xMin;
    scale.xMax = xMax;
    scale.yMin = yMin;
    scale.yMax = yMax;
    scale.mmPerUnitX = (width - kAxisMarginMm) / (xMax - xMin);
    scale.mmPerUnitY = (height - kAxisMarginMm) / (yMax - yMin);
    scale.stepX = TickStep(scale.mmPerUnitX, xMax - xMin, true);
    scale.stepY = TickStep(scale.mmPerUnitY, yMax - yMin, false);
    // A frame smaller than the margins, or a range too wide for a float.
    if (scale.stepX == 0 || scale.stepY == 0) return scale;

    scale.multX = DisplayMultiplier(xMin, xMax);
    scale.multY = DisplayMultiplier(yMin, yMax);
    scale.originX = AxisOrigin(xMin, xMax, scale.stepX);
    scale.originY = AxisOrigin(yMin, yMax, scale.stepY);

    scale.left = FrameLowEdge(xMin, scale.originX, scale.mmPerUnitX);
    scale.right = scale.left + width;
    scale.bottom = FrameLowEdge(yMin, scale.originY, scale.mmPerUnitY);
    scale.top = scale.bottom + height;

    AxisExtent(scale.stepX * scale.mmPerUnitX, scale.left + kGraphInnerMarginMm,
               scale.right - kGraphInnerMarginMm, &scale.axisLeft, &scale.axisRight);
    AxisExtent(scale.stepY * scale.mmPerUnitY, scale.bottom + kGraphInnerMarginMm,
               scale.top - kGraphInnerMarginMm, &scale.axisBottom, &scale.axisTop);
    scale.valid = true;
    return scale;
}
