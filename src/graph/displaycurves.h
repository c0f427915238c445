#pragma once

#include <cstdint>
#include <vector>

class CZbDoc;
class CPlotter;

// One curve of the graph of a display selection.
struct DisplayedCurve {
    std::int16_t curve;   // 0..5, also the colour
    std::int16_t xColumn; // columns of the sample table
    std::int16_t yColumn;
    const char* xLabel;
    const char* yLabel;
};

// The curves the document's display selection shows, in the order they are
// handed to the plotter: the channels in display-bit order each take the next
// curve, the edges the curve after them, the logic level always curve 0 (a
// later entry takes the place of an earlier one with the same curve).
std::vector<DisplayedCurve> DisplayedCurves(const CZbDoc& doc);

// Gives the plotter the columns and labels of those curves.
void AssignDisplayedCurves(CPlotter& plotter, const CZbDoc& doc);

// The display multipliers drawing the document's graph would set (shown value
// = data value x multiplier), for work done without a view: values typed in
// shown units need them.
void SetGraphMultipliers(CZbDoc& doc);
