#pragma once

#include <cstdint>

#include "common/novalue.h"
#include "decode/scanchannel.h"

class CZbDoc;

// A zone of the graph in data units. The default zone is unbounded.
struct ExtractionZone {
    float fXMin = kNoValueLow;
    float fXMax = kNoValue;
    float fYMin = kNoValueLow;
    float fYMax = kNoValue;
};

// The zone of a rectangle given in shown units (data value times the display
// multipliers), corners in any order.
ExtractionZone ZoneFromShown(const CZbDoc& doc, float xa, float ya, float xb, float yb);

// Erases (sets to "no value") both cells of every row of the channel's columns
// whose time or value is missing or not strictly inside the zone: a sample on
// the border goes too. Returns the number of rows erased that held a sample.
int EraseOutsideZone(CZbDoc* doc, std::int16_t xCol, std::int16_t yCol, const ExtractionZone& zone);
