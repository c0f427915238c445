#pragma once

#include <QImage>
#include <QString>
#include <cstdint>

class QPainter;

// Width, height and bits per pixel of an image file, as stored in the file.
struct ImageInfo {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

// The document's image: an in-memory raster that is allocated, filled, loaded
// from TIFF or JPEG files, drawn and probed pixel by pixel. Operations that can
// fail return 0 on success, as the rest of the program expects.
class CImage {
  public:
    // A buffer of width x height pixels; 24 bits give RGB, 8 bits grey levels,
    // 1 bit black and white. Returns 0 on success.
    int Allocate(int width, int height, int bitsPerPixel);
    void Free();
    // Every pixel set to the level (each component for RGB).
    void Fill(int level);

    static int ReadTiffInfo(const QString& path, ImageInfo* info);
    static int ReadJpegInfo(const QString& path, ImageInfo* info);
    // Loads a file into the allocated image; the image takes the file's size.
    // Only regular files are read; a JPEG cut short or reported damaged by
    // its decoder is a failure. A colour-mapped image is held as 24-bit
    // colour unless its map is grey; 16-bit grey is held as 8-bit grey.
    int LoadTiff(const QString& path);
    int LoadJpeg(const QString& path);

    // Draws the image with its top-left pixel at (x, y) in the painter's units.
    void Draw(QPainter& painter, int x, int y) const;

    // 24-bit images: 0x00BBGGRR; other depths: the grey level. Outside the
    // image: 0.
    std::uint32_t Pixel(int x, int y) const;

    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    int BitsPerPixel() const { return m_nBits; }
    bool IsNull() const { return m_image.isNull(); }
    const QImage& Image() const { return m_image; }
    // The file the image was loaded from; empty for an allocated one.
    const QString& SourcePath() const { return m_strSource; }

  private:
    int Load(const QString& path, const char* format);
    // Takes a decoded image as the document's, at the depth it is held at.
    int Keep(const QImage& image, int fileBits, const QString& path);

    QImage m_image;
    int m_nBits = 0;
    QString m_strSource;
};
