#pragma once

#include <algorithm>
#include <cstdint>

#include "common/novalue.h"

class CZbDoc;

// The channels a scan may be taken from. The extraction and analysis dialogs
// number them 0..4 on their radios: CH1, CH2, REF1, REF2, MATH.
constexpr int kScanChannels = 5;

// Channel bit of a radio index 0..4; an index out of range takes the nearest.
inline std::int16_t ChannelBitOfIndex(int index) {
    return static_cast<std::int16_t>(1 << std::clamp(index, 0, kScanChannels - 1));
}

// The channel a scan dialog starts on: the first of CH1 .. MATH displayed,
// otherwise the first one holding data, otherwise CH1. Radio index 0..4.
int DefaultChannelIndex(const CZbDoc& doc);
