#pragma once

#include <QString>

class CZbDoc;

// Which reader a chosen image path goes to. The tests look for ".tif" and
// then ".jpg" anywhere in the lower-cased path, so "x.tiff" and "x.tif.jpg"
// are both read as TIFF.
enum class ImageFileKind { Tiff, Jpeg, Unknown };
ImageFileKind ImageFileKindOf(const QString& path);

// Reads a TIFF or JPEG file into the document's image and switches the
// document to the image mode, named after the lower-cased path, whatever the
// outcome. Returns 0 when the image was read; otherwise the previous image,
// its size and depth stay as they were.
int ReadImageFile(CZbDoc& doc, const QString& path);

// The message shown when an image cannot be read.
extern const char* const kImageReadError;
