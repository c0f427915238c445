#pragma once

#include <cstdint>

class CZbDoc;

// Edges ("fronts") of one channel of the sample table against a threshold
// voltage, and the square-wave curve that shows them in columns 4 and 5.

constexpr int kMaxEdges = 100;

// Lowest and highest valid value of a channel (rows whose time or value is
// "no value" are skipped); found is false when no row is valid.
struct ChannelRange {
    float min = 0;
    float max = 0;
    bool found = false;
    float Mid() const { return (max + min) / 2; }
};

ChannelRange FindChannelRange(const CZbDoc& doc, std::int16_t xCol, std::int16_t yCol);

// Times of the crossings of uRef, at most maxEdges (up to kMaxEdges), the
// first a rise. A rise is timed at the row after the crossing and a fall at
// the row before it; a crossing closer to the last edge than a quarter of the
// previous interval is refused. Returns the number of edges written.
std::int16_t DetectEdges(const CZbDoc& doc, std::int16_t xCol, std::int16_t yCol, float uRef,
                         float* edges, int maxEdges = kMaxEdges);

// Whether an edge count gets a curve: too few or too many edges would only
// draw noise.
bool EdgeCountShowsCurve(std::int16_t count);

// Writes the square wave that starts at the channel's minimum and toggles
// between minimum and maximum at every edge into columns 4 (time) and 5.
void WriteEdgeCurve(CZbDoc& doc, std::int16_t xCol, std::int16_t yCol, const float* edges,
                    std::int16_t count, const ChannelRange& range);

// Columns 4 and 5 back to "no value", so no earlier curve stays on show.
void ClearEdgeCurve(CZbDoc& doc);
