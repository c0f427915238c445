#pragma once

#include <QStringList>

// The batch commands, one file each; they return the exit status, or -1 for a
// usage error.
int PrintPdfCommand(const QStringList& arguments);   // printpdf.cpp
int RenderPngCommand(const QStringList& arguments);  // renderpng.cpp
int DecodeCommand(const QStringList& arguments);     // batchdecode.cpp
int ExportTextCommand(const QStringList& arguments); // batchexport.cpp
int ImageRowCommand(const QStringList& arguments);   // batchimagerow.cpp
