#pragma once

#include <QString>
#include <cstdint>
#include <cstring>

// 1e10 marks "no value" everywhere: in the sample table, the zoom window, the
// reference point and the regression state. It is compared bit for bit, as the
// stored files and instruments depend on the exact pattern 0x501502F9.
constexpr float kNoValue = 1e10f;
// The open lower bound of the zoom window.
constexpr float kNoValueLow = -1e10f;

inline bool IsNoValue(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits == 0x501502F9u;
}

inline bool IsNoValue(double value) {
    return value == static_cast<double>(kNoValue);
}

// Channel bits of the channel mask, the display selection and the dialogs.
enum ChannelBit : short {
    kChannelCh1 = 1,
    kChannelCh2 = 2,
    kChannelRef1 = 4,
    kChannelRef2 = 8,
    kChannelMath = 16,
    kChannelImage = 32, // display only
    kChannelEdges = 64, // the "FRONTS" curve
    kChannelLogic = 128,
};

// The bit of an acquired channel named "CH1", "CH2", "REF1", "REF2" or
// "MATH"; 0 for any other name.
inline short ChannelFromName(const QString& name) {
    static const struct {
        const char* name;
        short bit;
    } kNames[] = {{"CH1", kChannelCh1},
                  {"CH2", kChannelCh2},
                  {"REF1", kChannelRef1},
                  {"REF2", kChannelRef2},
                  {"MATH", kChannelMath}};
    for (const auto& channel : kNames)
        if (name == QLatin1String(channel.name)) return channel.bit;
    return 0;
}

// The channels an acquisition stores (the channel mask holds only these).
constexpr short kAcquiredChannelBits =
    kChannelCh1 | kChannelCh2 | kChannelRef1 | kChannelRef2 | kChannelMath;
