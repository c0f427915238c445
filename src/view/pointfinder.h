#pragma once

#include <cstdint>

class CZbDoc;

// Looks for a displayed sample near (x, y), in shown units. The channels are
// searched in the order CH1, CH2, REF1, REF2, MATH (only those in the display
// selection), each over every row of the table, and the first sample closer
// than *tolerance wins. On return *tolerance holds the distance of the found
// sample, or the smallest distance met when none was close enough (1e10 when
// no displayed sample holds a value). The edges, the image and the logic level
// are never searched.
bool FindPoint(const CZbDoc& doc, float x, float y, float* tolerance, std::int16_t* row,
               std::int16_t* xCol, std::int16_t* yCol);
