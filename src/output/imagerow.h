#pragma once

#include <QString>

class CZbDoc;
class CZbApp;

// One row of the document's image as a photodiode sweeping it would see it,
// written into channel CH1 for the code analysis: x in pixel columns,
// y = (255 - grey level) x 5 / 255 volts, so dark bars come out high. The row
// is sampled finer than its pixels, as many samples from one pixel to the next
// as the sample table allows, the level interpolated between them; a row
// wider than the table is averaged over groups of columns, each sample at the
// first column of its group. The legend's first line says which.
// Returns false, with the message for the user in *error, when the row lies
// outside the image; the document is then unchanged.
bool WriteImageRow(CZbDoc& doc, int row, QString* error);

// The row the view's command takes: the reference pixel's when one is set and
// lies in the image, else the mouse's; -1 when that is outside the image too.
int ImageRowUnderCursor(const CZbDoc& doc, const CZbApp& app);

// Whether the pixel lies in the document's image.
bool InImage(const CZbDoc& doc, int x, int y);
