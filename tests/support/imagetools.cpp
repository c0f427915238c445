#include "imagetools.h"

#include <QFile>
#include <QStringList>
#include <QtDebug>

#include "testsupport.h"

QByteArray NetpbmImage(int width, int height, bool colour,
                       const std::function<unsigned(int x, int y)>& level) {
    QByteArray bytes = QByteArray(colour ? "P6\n" : "P5\n") + QByteArray::number(width) + ' ' +
                       QByteArray::number(height) + "\n255\n";
    bytes.reserve(bytes.size() + width * height * (colour ? 3 : 1));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned v = level(x, y);
            if (colour) {
                bytes.append(char((v >> 16) & 0xFF));
                bytes.append(char((v >> 8) & 0xFF));
            }
            bytes.append(char(v & 0xFF));
        }
    return bytes;
}

namespace {

// Runs tool with before + the netpbm file + after as its arguments.
QString Convert(const QString& path, const QByteArray& netpbm, const QString& tool,
                const QStringList& before, const QStringList& after) {
    const QString source = path + QStringLiteral(".pnm");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(netpbm) != netpbm.size()) return QString();
    file.close();
    const ProcessResult result = RunProgram(tool, before + QStringList{source} + after);
    QFile::remove(source);
    if (result.exitCode != 0 || !QFile::exists(path)) {
        qWarning() << tool << "failed:" << result.err;
        return QString();
    }
    return path;
}

} // namespace

QString MakeTiff(const QString& path, const QByteArray& netpbm) {
    return Convert(path, netpbm, QStringLiteral("ppm2tiff"), {}, {path});
}

namespace {

void AppendLittle16(QByteArray* bytes, unsigned value) {
    bytes->append(char(value & 0xFF));
    bytes->append(char((value >> 8) & 0xFF));
}

void AppendLittle32(QByteArray* bytes, unsigned value) {
    AppendLittle16(bytes, value & 0xFFFF);
    AppendLittle16(bytes, value >> 16);
}

// One 12-byte directory entry holding a single SHORT or LONG value, or the
// offset of its values.
void AppendEntry(QByteArray* bytes, unsigned tag, unsigned type, unsigned count, unsigned value) {
    constexpr unsigned kShort = 3;
    AppendLittle16(bytes, tag);
    AppendLittle16(bytes, type);
    AppendLittle32(bytes, count);
    if (type == kShort && count == 1) {
        AppendLittle16(bytes, value);
        AppendLittle16(bytes, 0);
    } else {
        AppendLittle32(bytes, value);
    }
}

} // namespace

QString MakePaletteTiff(const QString& path, int width, int height,
                        const std::function<unsigned(int x, int y)>& index,
                        const QVector<unsigned>& colours) {
    constexpr unsigned kShort = 3, kLong = 4, kEntries = 10;
    // Header, then the pixels (one strip), the colour map, the directory.
    QByteArray bytes("II*\0", 4);
    const unsigned pixelsAt = 8, pixelCount = unsigned(width * height);
    const unsigned mapAt = pixelsAt + pixelCount + (pixelCount & 1); // word-aligned
    const unsigned directoryAt = mapAt + 3 * 256 * 2;
    AppendLittle32(&bytes, directoryAt);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bytes.append(char(index(x, y)));
    if (pixelCount & 1) bytes.append('\0');
    // The map: 256 reds, then 256 greens, then 256 blues, 16 bits each.
    for (int shift : {16, 8, 0})
        for (int k = 0; k < 256; ++k)
            AppendLittle16(&bytes, k < colours.size() ? ((colours[k] >> shift) & 0xFF) * 257 : 0);
    AppendLittle16(&bytes, kEntries);
    AppendEntry(&bytes, 256, kLong, 1, unsigned(width));  // ImageWidth
    AppendEntry(&bytes, 257, kLong, 1, unsigned(height)); // ImageLength
    AppendEntry(&bytes, 258, kShort, 1, 8);               // BitsPerSample
    AppendEntry(&bytes, 259, kShort, 1, 1);               // Compression: none
    AppendEntry(&bytes, 262, kShort, 1, 3);               // Photometric: palette
    AppendEntry(&bytes, 273, kLong, 1, pixelsAt);         // StripOffsets
    AppendEntry(&bytes, 277, kShort, 1, 1);               // SamplesPerPixel
    AppendEntry(&bytes, 278, kLong, 1, unsigned(height)); // RowsPerStrip
    AppendEntry(&bytes, 279, kLong, 1, pixelCount);       // StripByteCounts
    AppendEntry(&bytes, 320, kShort, 3 * 256, mapAt);     // ColorMap
    AppendLittle32(&bytes, 0);                            // no further directory

    const QString source = path + QStringLiteral(".src.tif");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
    file.close();
    const ProcessResult result = RunProgram(
        QStringLiteral("tiffcp"), {QStringLiteral("-c"), QStringLiteral("lzw"), source, path});
    QFile::remove(source);
    if (result.exitCode != 0 || !QFile::exists(path)) {
        qWarning() << "tiffcp failed:" << result.err;
        return QString();
    }
    return path;
}

QString MakeGrey16Tiff(const QString& path, int width, int height,
                       const std::function<unsigned(int x, int y)>& level) {
    // Little-endian 16-bit samples, row after row, as raw2tiff -L reads them.
    QByteArray raw;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned v = level(x, y);
            raw.append(char(v & 0xFF));
            raw.append(char((v >> 8) & 0xFF));
        }
    const QString source = path + QStringLiteral(".raw");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(raw) != raw.size()) return QString();
    file.close();
    const ProcessResult result = RunProgram(
        QStringLiteral("raw2tiff"),
        {QStringLiteral("-w"), QString::number(width), QStringLiteral("-l"),
         QString::number(height), QStringLiteral("-d"), QStringLiteral("short"),
         QStringLiteral("-p"), QStringLiteral("minisblack"), QStringLiteral("-L"), source, path});
    QFile::remove(source);
    if (result.exitCode != 0 || !QFile::exists(path)) {
        qWarning() << "raw2tiff failed:" << result.err;
        return QString();
    }
    return path;
}

QString MakeJpeg(const QString& path, const QByteArray& netpbm, int quality, bool progressive) {
    QStringList options{QStringLiteral("-quality"), QString::number(quality),
                        QStringLiteral("-outfile"), path};
    if (progressive) options << QStringLiteral("-progressive");
    return Convert(path, netpbm, QStringLiteral("cjpeg"), options, {});
}

QString MakeZintEan13(const QString& path, const QString& twelveDigits, double scale) {
    const ProcessResult result = RunProgram(
        QStringLiteral("zint"), {QStringLiteral("-b"), QStringLiteral("13"), QStringLiteral("-d"),
                                 twelveDigits, QStringLiteral("--scale=%1").arg(scale),
                                 QStringLiteral("--notext"), QStringLiteral("-o"), path});
    if (result.exitCode != 0 || !QFile::exists(path)) {
        qWarning() << "zint failed:" << result.out << result.err;
        return QString();
    }
    return path;
}
