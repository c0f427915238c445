#pragma once

#include <cstdint>

#include "common/novalue.h"

class CZbDoc;

// A zone of the graph in data units. The default zone is unbounded.
struct ExtractionZone {
    float fXMin = kNoValueLow;
    float fXMax = kNoValue;
    float fYMin = kNoValueLow;
    float fYMax = kNoValue;
};

// Number of channels a scan may be taken from: CH1, CH2, REF1, REF2, MATH.
constexpr int kScanChannels = 5;

// Channel bit of a radio index 0..4 (CH1 .. MATH).
inline std::int16_t ChannelBitOfIndex(int index) {
    return static_cast<std::int16_t>(1 << index);
}

// The channel a scan dialog starts on: the first of CH1 .. MATH displayed,
// otherwise the first one holding data, otherwise CH1. Radio index 0..4.
int DefaultChannelIndex(const CZbDoc& doc);

// The zone of a rectangle given in shown units (data value times the display
// multipliers), corners in any order.
ExtractionZone ZoneFromShown(const CZbDoc& doc, float xa, float ya, float xb, float yb);

// Erases (sets to "no value") both cells of every row of the channel's columns
// whose time or value is missing or not strictly inside the zone: a sample on
// the border goes too. Returns the number of rows erased that held a sample.
int EraseOutsideZone(CZbDoc* doc, std::int16_t xCol, std::int16_t yCol, const ExtractionZone& zone);
