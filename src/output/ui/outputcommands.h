#pragma once

class QWidget;
class CZbDoc;

// "&Ecrire [.TXT] Excel...": asks for the file, confirms replacing an
// existing one and writes the displayed curves as spreadsheet text.
void ExportSpreadsheet(QWidget* parent, CZbDoc& doc);

// "&Lire image...": asks for a TIFF or JPEG file and reads it into the
// document's image. Returns false when the dialog was cancelled.
bool ReadImage(QWidget* parent, CZbDoc& doc);
