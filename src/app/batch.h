#pragma once

#include <QStringList>
#include <cstdint>

#include "common/options.h"

// Batch commands run without a window, for scripts and teachers:
//   lineatix --save OUT.cod [IN.cod]
// The usage line is the command's grammar (see common/options.h): the command
// line is read against it before the command runs, and --help lists it.
struct BatchCommand {
    const char* option; // "--save", "--acquire tds"
    const char* usage;  // "lineatix --save OUT.cod [IN.cod]"
    // Exit status, or -1 for arguments the command refuses (the usage line is
    // then shown). The arguments come in the order of the usage line: the
    // command's words, its own arguments, its options as given, then "--"
    // when a file name starts with "-", and the files.
    int (*run)(const QStringList& arguments);
    const char* summary = nullptr; // one line of --help
};

// The command line read against the batch commands and the window's line:
// the command (its index for BatchCommandAt, -1 for the window), the help,
// the version, or a usage error.
CommandLine ReadBatchCommandLine(const QStringList& arguments);
const BatchCommand& BatchCommandAt(int index);
// The text of lineatix --help.
QString BatchHelpText();
// The window's line: lineatix [--com1 PATH] ... [FILE.cod]
extern const char* const kWindowUsage;

// For the commands: a message on standard error, and IN.cod (when the path is
// not empty) loaded into the document with its failure reported.
class CZbDoc;
void PrintBatchError(const QString& message);
bool LoadBatchInput(CZbDoc& doc, const QString& path);
// The document saved to path when the path is not empty; false, with the
// failure reported, when the save failed.
bool SaveBatchOutput(const CZbDoc& doc, const QString& path);

// "--zoom XMIN,YMIN,XMAX,YMAX" (data units), wherever it stands, taken out
// of the arguments. False, with the message printed, when its value is not
// four finite numbers.
struct BatchZoom {
    bool given = false;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
bool TakeZoomOption(QStringList* arguments, BatchZoom* zoom);
// After loading: the zoom window the option asked for.
void ApplyZoomOption(CZbDoc& doc, const BatchZoom& zoom);
// A text of a window on standard output, at once (scripts follow it as it comes).
void PrintBatchText(const QString& text);

// The port index a --port argument names (COM1, COM2 as the profile sets
// them); a device path or an address stands for COM1 during this run. -1 for
// an empty or blank argument: a usage error.
class CZbApp;
int TakeBatchPort(const QString& port, CZbApp& app);

// The options of the two-channel oscilloscopes' acquisitions: --port (which
// must be given), --channels CH1,CH2 as CH1 and CH2's bits (CH1 when absent),
// --timeout, --save and one input file. False on a usage error.
bool ParseScopeAcquireOptions(const QStringList& arguments, ParsedOptions* options,
                              std::int16_t* channels);

// "--timeout SECONDS" of the oscilloscope acquisitions: how long one reply
// may last, as ticks of tickMs (rounded up); `fallback` when the option is
// absent; -1 when it is no number of seconds above 0 and up to a day.
struct ParsedOptions;
int TimeoutTicks(const ParsedOptions& options, int tickMs, int fallback);

// Exit status: 0 success, 1 file or usage error (messages on standard error),
// other values as each command documents.
int RunBatch(const BatchCommand& command, const QStringList& arguments);
