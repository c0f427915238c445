#pragma once

#include <QByteArray>
#include <QString>

class CZbDoc;

// The tab-separated text a spreadsheet opens directly: a title line, the
// header of the displayed curves, then every row of the sample table (all
// 5000, "?" where a cell holds no value), in Windows-1252 with CR LF ends.
QByteArray SpreadsheetText(const CZbDoc& doc, bool header);

// Writes that text to path; on failure the file there, if any, is left as it
// was. Returns false when the file could not be written.
bool WriteSpreadsheet(const CZbDoc& doc, const QString& path, bool header);

// The message shown when the file cannot be created.
extern const char* const kSpreadsheetCreateError;
