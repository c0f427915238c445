#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

class QIODevice;

// The CSV files oscilloscopes save on a USB stick and PC tools write
// (sigrok-cli, PulseView, spreadsheets), read into at most the sample table's
// rows. The layout is recognised from the content, never from the file's name:
// Rigol DS1000Z, Tektronix TDS2000/TBS1000, Keysight InfiniiVision, Tektronix
// MSO/DPO, Siglent SDS (two variants), sigrok analog CSV, a generic CSV, and
// the program's own spreadsheet export.

// One channel of a record: times in seconds, values in volts.
struct ScopeTrace {
    QString name; // as the file names it: "CH1", "A0", "Tension"...
    std::vector<float> time;
    std::vector<float> value;
};

struct ScopeRecord {
    QString layout;                   // "Rigol DS1000Z", ...
    QString source;                   // the file's own "Source" record ("CH2"), if any
    std::vector<ScopeTrace> channels; // one or two
    qint64 fileRows = 0;              // samples in the file
    double timeStep = 0;              // seconds between two samples of the file
    bool Thinned() const { return !channels.empty() && qint64(channels[0].time.size()) < fileRows; }
};

struct ScopeReadOptions {
    int maxRows = 5000;     // rows kept, evenly spread over the file
    int chunkLines = 65536; // lines read between two looks at cancel and progress
    // Asked between chunks with the lines read so far; true stops the reading.
    std::function<bool(qint64 lines)> cancel;
    // Told between chunks how far the reading is, in thousandths.
    std::function<void(int permille)> progress;
};

enum class ScopeReadStatus { Read, Cancelled, Failed };

// Reads a whole file in two passes (the first counts the rows, the second
// keeps the evenly spread ones), so the memory does not grow with the file.
// The device must be open and seekable. On failure *error says why in French,
// naming the line; the record is then left as it was.
ScopeReadStatus ReadScopeCsv(QIODevice& device, const ScopeReadOptions& options,
                             ScopeRecord* record, QString* error);

// The same for a path, which must name a regular file.
ScopeReadStatus ReadScopeCsvFile(const QString& path, const ScopeReadOptions& options,
                                 ScopeRecord* record, QString* error);
