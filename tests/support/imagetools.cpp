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

QString MakeJpeg(const QString& path, const QByteArray& netpbm, int quality) {
    return Convert(
        path, netpbm, QStringLiteral("cjpeg"),
        {QStringLiteral("-quality"), QString::number(quality), QStringLiteral("-outfile"), path},
        {});
}

QString MakeZintEan13(const QString& path, const QString& twelveDigits, int scale) {
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
