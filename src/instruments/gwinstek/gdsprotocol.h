#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

// The GW Instek GDS-820C serial protocol as the acquisition uses it: the
// commands, the settings reply and the binary waveform block.

// Identification exchange of the port dialog, two writes.
inline const char* const kGdsClear = "*CLS\n";
inline const char* const kGdsIdentify = "*IDN?\n";

// The settings query, sent in one write. Five text lines answer it: the time
// base, the two vertical scales and the two channels' maxima (the
// ":MEASURE:SOURce" lines have no answer).
inline const char* const kGdsSettingsQuery =
    ":TIMebase:SCALe?\n:CHANNEL1:SCALE?\n:CHANNEL2:SCALE?\n"
    ":MEASURE:SOURce 1\n:MEASURE:VMAX?\n"
    ":MEASure:SOURce 2\n:MEASure:VMAX?\n";

// The sources, lowest bit first: check-box bit, name and the commands that
// ask for its waveform (one write each).
struct GdsSource {
    std::int16_t bit;
    const char* name;
    const char* commands[2];
};
inline constexpr GdsSource kGdsSources[] = {
    {1, "CH1", {":ACQuire1:POINt\n", nullptr}},
    {2, "CH2", {":ACQuire2:POINt\n", nullptr}},
    {4, "REF1", {":ACQuire:LENGth 3\n", ":ACQuire1:MEMory?\n"}},
    {8, "REF2", {":ACQuire:LENGth 3\n", ":ACQuire2:MEMory?\n"}},
};
const GdsSource* FindGdsSource(std::int16_t bit);

// The settings reply split into its five fields.
struct GdsSettings {
    float timebase; // seconds per division; 1e10 when it could not be read
    float scale1;   // volts per division of channel 1
    float scale2;   // of channel 2
    bool ch1Off;    // the maximum of channel 1 reads "chan off"
    bool ch2Off;
    QString fields[5]; // as received
};
GdsSettings ParseGdsSettings(const QString& reply);

// Names of the settings a source's conversion needs that could not be read
// ("base de temps", "calibre voie 1"...); empty when all were read.
QStringList UnreadableGdsSettings(float timebase, float scale, const QString& scaleName);

// One waveform block converted into the sample table.
struct GdsBlockResult {
    bool compatible = true; // false: the block does not start with '#'
    int rows = 0;           // rows stored
};

// The header of a definite-length block at `at`: '#', a digit N from 1 to 9,
// then N digits giving the length of what follows them. False when the bytes
// there are no such header.
struct GdsBlockHeader {
    qsizetype contentStart = 0; // first byte after the length digits
    qint64 contentLength = 0;   // as declared
};
bool ReadGdsBlockHeader(const QByteArray& bytes, qsizetype at, GdsBlockHeader* header);

// Where the reply to the last request starts in a capture: the capture file
// takes every byte until a silence, so a late reply to a request given up
// before may come first. Each block is read to the length it declares; the
// last one that follows (past an optional line end) is the reply. 0 when the
// capture holds one block, or starts with no block header.
qsizetype LastGdsBlockStart(const QByteArray& capture);

// Converts a waveform block ('#', a digit N, N length digits, nine bytes
// skipped, then two bytes a sample) into columns `column` (time) and
// `column` + 1 (value) of `table`, at most `capacity` rows: the sample index
// times timebase × 0.04 gives seconds, the level times scale × 8 × 0.005 gives
// volts (25 levels a division). The block ends at the length it declares:
// bytes after it are never samples (without a declared length, at the end).
GdsBlockResult ConvertGdsBlock(const QByteArray& block, float (*table)[6], int capacity, int column,
                               float timebase, float scale);
