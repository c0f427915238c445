#pragma once

#include <QStringList>

// The batch commands, one file each; they return the exit status, or -1 for a
// usage error.
int PrintPdfCommand(const QStringList& arguments);   // printpdf.cpp
int RenderPngCommand(const QStringList& arguments);  // renderpng.cpp
int DecodeCommand(const QStringList& arguments);     // batchdecode.cpp
int ExportTextCommand(const QStringList& arguments); // batchexport.cpp
int ImageRowCommand(const QStringList& arguments);   // batchimagerow.cpp
int ImportCommand(const QStringList& arguments);     // batchimport.cpp
int FitCommand(const QStringList& arguments);        // batchfit.cpp
int PrintCommand(const QStringList& arguments);      // printverb.cpp

// The kinds of --acquire (rows "--acquire KIND"); their options start at index 2.
int AcquireTdsCommand(const QStringList& arguments);    // acquiretds.cpp
int AcquireGdsCommand(const QStringList& arguments);    // acquiregds.cpp
int AcquireLeuzeCommand(const QStringList& arguments);  // acquireleuze.cpp
int AcquireScpiCommand(const QStringList& arguments);   // acquirescpi.cpp
int AcquirePcmes3Command(const QStringList& arguments); // acquirepcmes3.cpp
