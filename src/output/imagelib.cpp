#include "output/imagelib.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtGlobal>

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
    case QImage::Format_Grayscale16: // shown and probed as 8-bit grey
        return 8;
    case QImage::Format_Invalid:
        return 0;
    default:
        return 24;
    }
}

// A FIFO or a device would block the reader or never end: only a regular
// file (or a link to one) is an image file.
bool IsRegularFile(const QString& path) {
    return QFileInfo(path).isFile();
}

int ReadInfo(const QString& path, const char* format, ImageInfo* info) {
    if (!IsRegularFile(path)) return 1;
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

// Whether JPEG data run from their start-of-image marker to an end-of-image
// marker (FF D9). The decoder fills whatever is missing of a file cut short
// with grey and only warns, so a cut must be seen here. Marker segments are
// skipped by their declared length; entropy-coded data end at the first
// marker that is neither a stuffed FF 00 nor a restart marker.
bool JpegReachesItsEnd(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
    auto isRestart = [](unsigned char m) { return m >= 0xD0 && m <= 0xD7; };
    qsizetype at = 2;
    while (at < size) {
        // Stray bytes before a marker are the decoder's to complain about.
        while (at < size && data[at] != 0xFF)
            ++at;
        while (at < size && data[at] == 0xFF) // fill bytes
            ++at;
        if (at >= size) return false;
        const unsigned char marker = data[at++];
        if (marker == 0xD9) return true;
        if (marker == 0x00 || marker == 0x01 || isRestart(marker)) continue; // no length
        if (size - at < 2) return false;
        const qsizetype length = (qsizetype(data[at]) << 8) | data[at + 1];
        if (length < 2 || size - at < length) return false;
        at += length;
        if (marker != 0xDA) continue;
        // Start of scan: its entropy-coded data follow, up to the next marker.
        for (;; ++at) {
            if (size - at < 2) return false;
            if (data[at] != 0xFF) continue;
            const unsigned char next = data[at + 1];
            if (next != 0x00 && next != 0xFF && !isRestart(next)) break;
        }
    }
    return false;
}

// libjpeg's warnings about damaged data, which Qt's JPEG reader hands to the
// message handler while it still returns an image: seen during one read.
class JpegWarningWatch {
  public:
    JpegWarningWatch() {
        s_pCurrent = this;
        m_previous = qInstallMessageHandler(&JpegWarningWatch::Handle);
    }
    ~JpegWarningWatch() {
        qInstallMessageHandler(m_previous);
        s_pCurrent = nullptr;
    }
    JpegWarningWatch(const JpegWarningWatch&) = delete;
    JpegWarningWatch& operator=(const JpegWarningWatch&) = delete;

    bool DamageReported() const { return m_bDamaged; }

  private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        JpegWarningWatch* watch = s_pCurrent;
        if (watch && type == QtWarningMsg &&
            (text.contains(QLatin1String("Corrupt JPEG data")) ||
             text.contains(QLatin1String("Premature end of JPEG file")))) {
            watch->m_bDamaged = true;
            return; // the user is told through the read error
        }
        if (watch && watch->m_previous) watch->m_previous(type, context, text);
    }

    static inline JpegWarningWatch* s_pCurrent = nullptr;
    QtMessageHandler m_previous = nullptr;
    bool m_bDamaged = false;
};

// Bits held for a decoded image: a colour map with colours in it keeps its
// colours, whatever depth the file used to index them.
int DecodedBits(const QImage& image, int fileBits) {
    if (image.format() == QImage::Format_Indexed8 && !image.isGrayscale()) return 24;
    return fileBits;
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
    if (!IsRegularFile(path)) return 1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential()) return 1;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || !JpegReachesItsEnd(bytes)) return 1;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    AllowLargeImages();
    QImageReader reader(&buffer, "jpeg");
    const int bits = FileBits(reader.imageFormat());
    QImage image;
    {
        JpegWarningWatch watch;
        image = reader.read();
        if (watch.DamageReported()) return 1;
    }
    return Keep(image, bits, path);
}

int CImage::Load(const QString& path, const char* format) {
    if (!IsRegularFile(path)) return 1;
    AllowLargeImages();
    QImageReader reader(path, format);
    const int bits = FileBits(reader.imageFormat());
    return Keep(reader.read(), bits, path);
}

int CImage::Keep(const QImage& image, int fileBits, const QString& path) {
    if (image.isNull()) return 1;
    const int bits = DecodedBits(image, fileBits);
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
