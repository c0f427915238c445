#pragma once

#include <QString>
#include <QStringList>

#include "importer/scopecsv.h"

class CZbDoc;

// One or two oscilloscope files made into what an acquisition leaves: the
// first curve as CH1, the second as CH2.
struct ScopeImport {
    QStringList files;   // names of the files, CH1's first
    QStringList layouts; // the layout recognised in each
    ScopeTrace channels[2];
    int channelCount = 0;
    qint64 fileRows = 0; // samples of each file
    double timeStep = 0; // seconds
    bool thinned = false;
};

// Reads one file (its first two curves) or two files of one save (the first
// curve of each; the files' own "Source" puts CH1 first where they have one).
// The same file twice, two files whose "Source" names the same channel, and
// two files of different lengths or time steps are refused. Progress and
// cancel as for one file, the files read one after the other.
ScopeReadStatus ImportScopeFiles(const QStringList& paths, const ScopeReadOptions& options,
                                 ScopeImport* result, QString* error);

// Into the document as an acquisition stores its sources: columns 0-1 and
// 2-3, the row count, the channel mask and display, the legend ("IMPORT " and
// the file names, then "Nom(s)/Prénom(s):"), the regressions reset.
void StoreScopeImport(CZbDoc& doc, const ScopeImport& result);

// What was read, for the message box and the batch command.
QString ScopeImportMessage(const ScopeImport& result);
