#pragma once

class QPagedPaintDevice;
class QPainter;
class CZbDoc;
class CZbApp;

// Paper set-up of the program's printouts: A4 landscape with margins small
// enough that the 270 x 190 mm code sheet fits at true size.
void SetUpPrintPage(QPagedPaintDevice& device);

// Draws what the view shows as one printed page on a painter open on a paged
// device (printer, PDF writer, print preview): true-size millimetres from the
// top-left of the printable area; the reference point is cleared.
void DrawPrintedPage(QPainter& painter, CZbDoc& doc, CZbApp& app);

// Prints the document as one page on the device. Returns false when nothing
// could be drawn on it (the device refused to start).
bool PrintDocument(QPagedPaintDevice& device, CZbDoc& doc, CZbApp& app);
