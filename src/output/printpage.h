#pragma once

class QPagedPaintDevice;
class CZbDoc;
class CZbApp;

// Paper set-up of the program's printouts: A4 landscape with margins small
// enough that the 270 x 190 mm code sheet fits at true size.
void SetUpPrintPage(QPagedPaintDevice& device);

// Prints what the view shows as one page on the device (printer, PDF writer,
// print preview): true-size millimetres from the top-left of the printable
// area; the reference point is cleared. Returns false when nothing could be
// drawn on it (the device refused to start).
bool PrintDocument(QPagedPaintDevice& device, CZbDoc& doc, CZbApp& app);
