#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// The replies of SCPI oscilloscopes, as pure functions of the received bytes:
// text lines, IEEE 488.2 definite-length blocks, the ten-field waveform
// preamble and the maker of the identification.

// A definite-length block: "#", one digit N (1-9), N digits giving the
// length L, then L bytes (a line feed follows, not part of the block).
// Anything before the "#" (a command header echoed back, stray bytes) is
// passed over.
struct ScpiBlock {
    enum Status { Incomplete, Complete, Invalid };
    Status status = Incomplete;
    qsizetype dataOffset = 0; // first data byte in the buffer
    qint64 length = 0;        // declared length (known once the digits are in)
    qsizetype end = 0;        // just after the data (Complete only)
};

// Looks for a block at the front of `buffer`; no upper bound on what it
// waits for beyond the declared length. Invalid for "#0" (no length), a
// length digit that is not a digit, or a length above kMaxBlockLength.
ScpiBlock FindScpiBlock(const QByteArray& buffer);
constexpr qint64 kMaxScpiBlockLength = 999999999; // nine digits, the most N allows

// Takes the first text line off the front of the buffer, without its "\n" and
// surrounding blanks; empty lines (the line feed after a block) are dropped.
// False while no complete non-empty line has arrived.
bool TakeScpiLine(QByteArray* buffer, QByteArray* line);

// ":WAV:PRE?": format, type, points, count, xincrement, xorigin, xreference,
// yincrement, yorigin, yreference.
struct ScpiPreamble {
    int format = 0; // 0 BYTE, 1 WORD, 2 ASCII
    int type = 0;   // 0 NORMal, 1 MAXimum/PEAK, 2 RAW/AVERage
    qint64 points = 0;
    qint64 count = 0;
    double xIncrement = 0, xOrigin = 0, xReference = 0;
    double yIncrement = 0, yOrigin = 0, yReference = 0;
};

// Reads the ten fields (a header before them, such as ":WAV:PRE ", is passed
// over). False with *why, in French, when a field is missing or unreadable,
// a value is not finite, the format is not BYTE or the point count is not
// positive.
bool ParseScpiPreamble(const QByteArray& line, ScpiPreamble* preamble, QString* why);

// How the program talks to the maker the identification names.
enum class ScpiDialect { Rigol, Keysight, Tektronix, Unsupported };

struct ScpiIdentity {
    ScpiDialect dialect = ScpiDialect::Unsupported;
    QString maker; // first field of "*IDN?", as given
    QString model; // second field
};

// "RIGOL TECHNOLOGIES,DS1104Z,..." -> Rigol; "KEYSIGHT ..." or "AGILENT ..."
// -> Keysight; "TEKTRONIX,..." -> Tektronix; anything else unsupported.
ScpiIdentity IdentifyScpi(const QString& idn);

// The line that says what the program does with this maker's oscilloscope.
QString ScpiDialectNote(const ScpiIdentity& identity);

// Conversion of byte b at index i of the whole record.
double ScpiTime(qint64 index, const ScpiPreamble& preamble);
double ScpiVolts(ScpiDialect dialect, int byte, const ScpiPreamble& preamble);

// The record indices kept when `total` points are thinned evenly to at most
// `rows` (every point when there are no more than that).
std::vector<qint64> ThinnedIndices(qint64 total, int rows);
