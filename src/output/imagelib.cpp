#include "output/imagelib.h"

#include <QImageReader>
#include <QPainter>

#include "common/colorref.h"

namespace {
// Qt's default limit on a decoded image (a few hundred megabytes) would turn
// away the largest camera photographs, held here at 4 bytes a pixel.
constexpr int kAllocationLimitMb = 512;

// The limit is one for the whole program.
void AllowLargeImages() {
    const int limit = QImageReader::allocationLimit(); // 0: no limit
    if (limit != 0 && limit < kAllocationLimitMb)
        QImageReader::setAllocationLimit(kAllocationLimitMb);
}

// Bits per pixel as the file stores them (the in-memory depth of an RGB image
// is 32 whatever the file held).
int FileBits(QImage::Format format) {
    switch (format) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return 1;
    case QImage::Format_Grayscale8:
    case QImage::Format_Indexed8:
    case QImage::Format_Alpha8:
        return 8;
    case QImage::Format_Grayscale16:
        return 16;
    case QImage::Format_Invalid:
        return 0;
    default:
        return 24;
    }
}

int ReadInfo(const QString& path, const char* format, ImageInfo* info) {
    AllowLargeImages();
    QImageReader reader(path, format);
    if (!reader.canRead()) return 1;
    const QSize size = reader.size();
    if (!size.isValid()) return 1;
    info->width = size.width();
    info->height = size.height();
    info->bitsPerPixel = FileBits(reader.imageFormat());
    return 0;
}

// The depths kept as they are; any other is held as 24-bit RGB.
int StoredBits(int bits) {
    return bits == 1 || bits == 8 ? bits : 24;
}

// RGB is held as 32-bit words, the format the screen draws without a
// conversion and the JPEG reader gives: a large photograph is not copied.
QImage::Format FormatForBits(int bits) {
    if (bits == 1) return QImage::Format_Mono;
    if (bits == 8) return QImage::Format_Grayscale8;
    return QImage::Format_RGB32;
}

} // namespace

int CImage::Allocate(int width, int height, int bitsPerPixel) {
    if (width <= 0 || height <= 0) return 1;
    QImage image(width, height, FormatForBits(bitsPerPixel));
    if (image.isNull()) return 1;
    if (bitsPerPixel == 1) {
        image.setColor(0, qRgb(0, 0, 0));
        image.setColor(1, qRgb(255, 255, 255));
    }
    m_image = image;
    m_nBits = StoredBits(bitsPerPixel);
    m_strSource.clear();
    return 0;
}

void CImage::Free() {
    m_image = QImage();
    m_nBits = 0;
    m_strSource.clear();
}

void CImage::Fill(int level) {
    if (m_image.isNull()) return;
    if (m_nBits == 1)
        m_image.fill(level > 127 ? 1 : 0);
    else
        m_image.fill(QColor(level, level, level));
}

int CImage::ReadTiffInfo(const QString& path, ImageInfo* info) {
    return ReadInfo(path, "tiff", info);
}

int CImage::ReadJpegInfo(const QString& path, ImageInfo* info) {
    return ReadInfo(path, "jpeg", info);
}

int CImage::LoadTiff(const QString& path) {
    return Load(path, "tiff");
}

int CImage::LoadJpeg(const QString& path) {
    return Load(path, "jpeg");
}

int CImage::Load(const QString& path, const char* format) {
    AllowLargeImages();
    QImageReader reader(path, format);
    const int bits = FileBits(reader.imageFormat());
    QImage image = reader.read();
    if (image.isNull()) return 1;
    m_image = image.convertToFormat(FormatForBits(bits));
    m_nBits = StoredBits(bits);
    m_strSource = path;
    return 0;
}

void CImage::Draw(QPainter& painter, int x, int y) const {
    if (!m_image.isNull()) painter.drawImage(QPoint(x, y), m_image);
}

std::uint32_t CImage::Pixel(int x, int y) const {
    if (m_image.isNull() || !m_image.valid(x, y)) return 0;
    const QRgb rgb = m_image.pixel(x, y);
    if (m_nBits == 24) return MakeColorRef(qRed(rgb), qGreen(rgb), qBlue(rgb));
    return static_cast<std::uint32_t>(qGray(rgb));
}
