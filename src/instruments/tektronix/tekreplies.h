#pragma once

#include <QString>
#include <cstdint>

class CZbDoc;

// The Tektronix TDS wire format: the sources and their commands, and the
// reading of the replies (pure functions of the received text).

// One source of the acquisition dialog; handled lowest bit first.
struct TekSource {
    std::int16_t bit;   // channel bit (1 CH1, 2 CH2, 4 REF1, 8 REF2, 16 MATH)
    const char* box;    // its check box
    const char* name;   // "CH1"
    const char* select; // shows it on the screen
    const char* source; // makes it the source of the curve query
    const char* prefix; // header of its preamble queries on a "TDS &3XX"
};
constexpr int kTekSourceCount = 5;
extern const TekSource kTekSources[kTekSourceCount];
// The source of a name ("CH1", any case), or null.
const TekSource* FindTekSource(const QString& name);

// The six preamble queries of a source; prefix "CH1:" on a TDS 3XX, empty otherwise.
QByteArray PreambleQueries(const QString& prefix);

// The waveform preamble of the source being acquired.
struct CTekPreamble {
    std::int32_t m_nPtOff = 0; // point index whose time is 0 (PT_Off)
    std::int32_t m_nNrPt = 0;  // number of waveform points (NR_Pt)
    float m_fYMult = 0;        // volts per raw level (YMULt)
    float m_fYZero = 0;        // volts added after scaling (YZERo)
    float m_fYOff = 0;         // raw level subtracted before scaling (YOFf)
    float m_fXIncr = 0;        // seconds per point (XINcr)
};

// A number read as scanf's "%d" would: leading white space, a sign, digits;
// what follows is ignored. False when there is no number or it does not fit.
bool ScanInt(const QString& text, std::int32_t* value);
// A number read as scanf's "%e" would, except that infinities and NaN (which
// scanf accepts) are refused along with what is no number.
bool ScanFloat(const QString& text, float* value);

// The six reply lines, in the order of the queries. False when one is not a
// bare number, or the values make no sense (no points, a scale that is not
// finite): a curve converted with them would fill the table with infinities.
bool ReadPreamble(const QString lines[6], CTekPreamble* preamble);

// Converts a curve reply (comma-separated raw levels) into the time and
// value columns `column` and `column` + 1 of the document's table: a value is
// stored when its comma comes, so the last one is not; values that are not
// integers (or longer than 15 characters) are skipped. The row count restarts
// at 0. False when the values fill every row: the count is then 0.
bool ConvertCurve(const QString& reply, const CTekPreamble& preamble, CZbDoc& doc, int column);
