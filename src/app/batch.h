#pragma once

#include <QStringList>

// Batch commands run without a window, for scripts and teachers:
//   lineatix --save OUT.cod [IN.cod]
// Each command reads its own arguments (those after the program name).
struct BatchCommand {
    const char* option;                       // "--save"
    const char* usage;                        // shown on a usage error
    int (*run)(const QStringList& arguments); // exit status
};

// The command whose option the arguments start with, or null when the
// arguments ask for the window.
const BatchCommand* FindBatchCommand(const QStringList& arguments);

// For the commands: a message on standard error, and IN.cod (when the path is
// not empty) loaded into the document with its failure reported.
class CZbDoc;
void PrintBatchError(const QString& message);
bool LoadBatchInput(CZbDoc& doc, const QString& path);
// Saves the document when a path was given (--save OUT.cod), reporting a failure.
bool SaveBatchOutput(const CZbDoc& doc, const QString& path);
// A text of a window on standard output, at once (scripts follow it as it comes).
void PrintBatchText(const QString& text);

// Exit status: 0 success, 1 file or usage error (messages on standard error),
// other values as each command documents.
int RunBatch(const BatchCommand& command, const QStringList& arguments);
