#include "doc/archive.h"

#include <QtEndian>
#include <cstring>

#include "common/cp1252.h"

namespace {
constexpr std::uint8_t kLongPrefix = 0xFF;
constexpr std::uint16_t kWidePrefix = 0xFFFF;
constexpr std::uint16_t kUnicodeMarker = 0xFFFE;
} // namespace

void ArchiveWriter::Raw(const void* data, int size) {
    m_bytes.append(static_cast<const char*>(data), size);
}

void ArchiveWriter::Int16(std::int16_t value) {
    UInt16(static_cast<std::uint16_t>(value));
}

void ArchiveWriter::UInt16(std::uint16_t value) {
    const std::uint16_t le = qToLittleEndian(value);
    Raw(&le, sizeof le);
}

void ArchiveWriter::UInt32(std::uint32_t value) {
    const std::uint32_t le = qToLittleEndian(value);
    Raw(&le, sizeof le);
}

void ArchiveWriter::Float(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    UInt32(bits);
}

void ArchiveWriter::Double(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint64_t le = qToLittleEndian(bits);
    Raw(&le, sizeof le);
}

void ArchiveWriter::String(const QString& value) {
    const QByteArray bytes = ToWindows1252(value);
    const auto length = static_cast<std::uint32_t>(bytes.size());
    if (length < kLongPrefix) {
        const auto small = static_cast<std::uint8_t>(length);
        Raw(&small, 1);
    } else {
        Raw(&kLongPrefix, 1);
        if (length < 0xFFFE) {
            UInt16(static_cast<std::uint16_t>(length));
        } else {
            UInt16(kWidePrefix);
            UInt32(length);
        }
    }
    Raw(bytes.constData(), static_cast<int>(bytes.size()));
}

bool ArchiveReader::Take(void* out, qsizetype size) {
    if (!m_ok || size < 0 || m_bytes.size() - m_position < size) {
        m_ok = false;
        std::memset(out, 0, static_cast<std::size_t>(size > 0 ? size : 0));
        return false;
    }
    std::memcpy(out, m_bytes.constData() + m_position, static_cast<std::size_t>(size));
    m_position += size;
    return true;
}

std::int16_t ArchiveReader::Int16() {
    return static_cast<std::int16_t>(UInt16());
}

std::uint16_t ArchiveReader::UInt16() {
    std::uint16_t le = 0;
    Take(&le, sizeof le);
    return qFromLittleEndian(le);
}

std::uint32_t ArchiveReader::UInt32() {
    std::uint32_t le = 0;
    Take(&le, sizeof le);
    return qFromLittleEndian(le);
}

float ArchiveReader::Float() {
    const std::uint32_t bits = UInt32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double ArchiveReader::Double() {
    std::uint64_t le = 0;
    Take(&le, sizeof le);
    const std::uint64_t bits = qFromLittleEndian(le);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::uint32_t ArchiveReader::Length(bool* wide) {
    std::uint8_t small = 0;
    Take(&small, 1);
    if (small != kLongPrefix) return small;
    const std::uint16_t medium = UInt16();
    // Only the 16-bit value 0xFFFE right after 0xFF is the marker; a 32-bit
    // length of 65534 is an ordinary length.
    if (medium == kUnicodeMarker && wide) {
        *wide = true;
        return Length(nullptr); // the real prefix follows
    }
    if (medium != kWidePrefix) return medium;
    return UInt32();
}

QString ArchiveReader::String() {
    bool wide = false;
    const std::uint32_t length = Length(&wide);
    if (!m_ok) return QString();
    const qsizetype bytes = static_cast<qsizetype>(length) * (wide ? 2 : 1);
    if (bytes > m_bytes.size() - m_position) {
        m_ok = false;
        return QString();
    }
    const QByteArray raw = m_bytes.mid(m_position, bytes);
    m_position += bytes;
    if (!wide) return FromWindows1252(raw);
    QString text;
    text.reserve(static_cast<qsizetype>(length));
    for (qsizetype i = 0; i < bytes; i += 2) {
        const auto lo = static_cast<unsigned char>(raw[i]);
        const auto hi = static_cast<unsigned char>(raw[i + 1]);
        text.append(QChar(static_cast<char16_t>(lo | (hi << 8))));
    }
    // The program keeps ANSI text: what Windows-1252 cannot hold becomes '?'.
    return FromWindows1252(ToWindows1252(text));
}
