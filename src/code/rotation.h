#pragma once

#include <cstdint>

class CZbDoc;
class CZbApp;

// Bits of the document's m_nRotation.
constexpr std::int16_t kRotationAboutX = 1; // inverted about the middle level
constexpr std::int16_t kRotationAboutY = 2; // reversed in time

// The channel bit the rotation works on: the last of CH1, CH2, REF1, REF2 and
// MATH displayed, or 0 when none is.
std::int16_t RotationChannel(std::int16_t display);

// Sample table of six columns; rows 0 .. rows-1 are used.
using SampleRow = float[6];

// Reverses the order of the values in column yCol; the times stay in place.
void ReverseTrace(SampleRow* table, int rows, int yCol);

// Twice the middle of the range of column yCol over the rows where both time
// and value are valid; false when no row is.
bool TwiceMiddleLevel(const SampleRow* table, int rows, int xCol, int yCol, double* twiceMiddle);
// Every valid value of column yCol becomes twiceMiddle - y.
void MirrorTrace(SampleRow* table, int rows, int yCol, double twiceMiddle);

// Mirrors every value of column yCol about the middle of its range, taken over
// the rows where both time and value are valid: y becomes 2 mid - y. Missing
// values stay missing. Nothing changes when no row is valid.
void InvertTrace(SampleRow* table, int rows, int xCol, int yCol);

// The rotation dialog's "OK": turns the displayed trace, records the rotation
// in m_nRotation and clears the reference point. Does nothing (and returns
// false) with no samples, no box ticked or no channel displayed.
bool RotateTrace(CZbDoc* doc, CZbApp* app, bool aboutX, bool aboutY);
