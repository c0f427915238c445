#include "instruments/gwinstek/gdsprotocol.h"

#include "common/novalue.h"
#include "instruments/serial/replyfields.h"

namespace {

constexpr int kSkippedBytes = 9;           // between the length digits and the samples
constexpr double kSecondsPerSample = 0.04; // of a division: 25 samples a division
constexpr double kVoltsPerLevel = 8 * 0.005;

// A value with its unit applied; no value stays no value.
float WithUnit(float value, const QString& field, const char* milli, const char* micro) {
    if (IsNoValue(value)) return value;
    if (field.contains(QLatin1String(milli))) return value * 0.001f;
    if (field.contains(QLatin1String(micro))) return value * 1e-6f;
    return value;
}

// Each byte as a level from -100 to 155: a signed byte, raised by 256 below -100.
int Level(char byte) {
    const int value = static_cast<signed char>(byte);
    return value < -100 ? value + 256 : value;
}

} // namespace

const GdsSource* FindGdsSource(std::int16_t bit) {
    for (const GdsSource& source : kGdsSources)
        if (source.bit == bit) return &source;
    return nullptr;
}

GdsSettings ParseGdsSettings(const QString& reply) {
    GdsSettings settings;
    std::int16_t pos = 0;
    for (QString& field : settings.fields)
        field = NextField(reply, QString(), &pos);
    settings.timebase = WithUnit(ParseNumber(settings.fields[0]), settings.fields[0], "ms", "us");
    settings.scale1 = WithUnit(ParseNumber(settings.fields[1]), settings.fields[1], "mV", "uV");
    settings.scale2 = WithUnit(ParseNumber(settings.fields[2]), settings.fields[2], "mV", "uV");
    settings.ch1Off = settings.fields[3].contains(QLatin1String("chan off"));
    settings.ch2Off = settings.fields[4].contains(QLatin1String("chan off"));
    return settings;
}

QStringList UnreadableGdsSettings(float timebase, float scale, const QString& scaleName) {
    QStringList names;
    if (IsNoValue(timebase)) names << QStringLiteral("base de temps");
    if (IsNoValue(scale)) names << scaleName;
    return names;
}

bool ReadGdsBlockHeader(const QByteArray& bytes, qsizetype at, GdsBlockHeader* header) {
    if (at < 0 || at + 2 > bytes.size() || bytes.at(at) != '#') return false;
    const char digit = bytes.at(at + 1);
    if (digit < '1' || digit > '9') return false;
    const int count = digit - '0';
    if (at + 2 + count > bytes.size()) return false;
    qint64 length = 0;
    for (int k = 0; k < count; ++k) {
        const char c = bytes.at(at + 2 + k);
        if (c < '0' || c > '9') return false;
        length = length * 10 + (c - '0');
    }
    header->contentStart = at + 2 + count;
    header->contentLength = length;
    return true;
}

qsizetype LastGdsBlockStart(const QByteArray& capture) {
    qsizetype start = 0;
    GdsBlockHeader header;
    while (ReadGdsBlockHeader(capture, start, &header)) {
        const qint64 end = header.contentStart + header.contentLength;
        qsizetype next = end < capture.size() ? qsizetype(end) : capture.size();
        // A reply may end its block with a line end.
        while (next < capture.size() && (capture.at(next) == '\r' || capture.at(next) == '\n'))
            ++next;
        GdsBlockHeader following;
        if (!ReadGdsBlockHeader(capture, next, &following)) break;
        start = next;
    }
    return start;
}

GdsBlockResult ConvertGdsBlock(const QByteArray& block, float (*table)[6], int capacity, int column,
                               float timebase, float scale) {
    GdsBlockResult result;
    if (column < 0 || column + 1 >= 6) return result;
    int length = int(block.size());
    if (length > 0 && block.at(0) != '#') {
        result.compatible = false;
        return result;
    }
    const char digit = length > 1 ? block.at(1) : '0';
    const int lengthDigits = digit >= '0' && digit <= '9' ? digit - '0' : 0;
    const int firstSample = lengthDigits + 2 + kSkippedBytes;
    GdsBlockHeader header;
    if (ReadGdsBlockHeader(block, 0, &header) &&
        header.contentStart + header.contentLength < length)
        length = int(header.contentStart + header.contentLength);
    int n = 0;
    for (int i = firstSample; i + 1 < length; i += 2) {
        if (n >= capacity) break; // pairs past the table's capacity are skipped
        float* row = table[n];
        row[column] = float(n);
        row[column + 1] = float(Level(block.at(i)) + Level(block.at(i + 1)));
        // A single zero sample between two others is a dropout: take the one before.
        if (n > 2 && row[column + 1] != 0 && table[n - 1][column + 1] == 0 &&
            table[n - 2][column + 1] != 0)
            table[n - 1][column + 1] = table[n - 2][column + 1];
        ++n;
    }
    for (int r = 0; r < n; ++r) {
        float* row = table[r];
        if (IsNoValue(row[column]) || IsNoValue(row[column + 1])) continue;
        row[column] = float(row[column] * double(timebase) * kSecondsPerSample);
        row[column + 1] = float(row[column + 1] * (double(scale) * kVoltsPerLevel));
    }
    result.rows = n;
    return result;
}
