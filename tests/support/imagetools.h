#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>

// Image files for the tests, made by the Debian tools a user would have:
// netpbm bytes written here from the format's description, turned into TIFF
// by ppm2tiff (libtiff-tools) and into JPEG by cjpeg (libjpeg-turbo-progs);
// bar codes drawn by zint.

// A grey (P5) or colour (P6) netpbm image; level(x, y) gives the grey level,
// or the colour as 0xRRGGBB.
QByteArray NetpbmImage(int width, int height, bool colour,
                       const std::function<unsigned(int x, int y)>& level);

// Writes the netpbm bytes and converts them with the tool; returns the path
// of the result, or an empty string (with a warning) when the tool failed.
QString MakeTiff(const QString& path, const QByteArray& netpbm);
QString MakeJpeg(const QString& path, const QByteArray& netpbm, int quality = 100,
                 bool progressive = false);

// A colour-mapped (palette) TIFF of 8-bit indices, index(x, y) into colours
// (0xRRGGBB, up to 256): written here after the TIFF 6.0 description of a
// baseline palette-colour image, then rewritten LZW-compressed by tiffcp.
QString MakePaletteTiff(const QString& path, int width, int height,
                        const std::function<unsigned(int x, int y)>& index,
                        const QVector<unsigned>& colours);
// A 16-bit grey TIFF made by raw2tiff from level(x, y), 0..65535.
QString MakeGrey16Tiff(const QString& path, int width, int height,
                       const std::function<unsigned(int x, int y)>& level);

// An EAN-13 symbol drawn by zint (TIFF or PNG by the path's extension), at
// scale pixels per half module (a multiple of 0.5), without the
// human-readable digits.
QString MakeZintEan13(const QString& path, const QString& twelveDigits, double scale);
