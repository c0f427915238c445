#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Little-endian binary writer for the .cod layout.
class ArchiveWriter {
  public:
    void Int16(std::int16_t value);
    void UInt16(std::uint16_t value);
    void UInt32(std::uint32_t value);
    void Float(float value);
    void Double(double value);
    // Windows-1252 characters after a 1-byte, 0xFF + uint16 or 0xFF 0xFFFF +
    // uint32 length prefix.
    void String(const QString& value);

    const QByteArray& Bytes() const { return m_bytes; }

  private:
    void Raw(const void* data, int size);

    QByteArray m_bytes;
};

// Little-endian reader over a whole file held in memory. Reading past the end
// sets a sticky failure and yields zeros, so a caller checks Ok() once.
class ArchiveReader {
  public:
    explicit ArchiveReader(const QByteArray& bytes) : m_bytes(bytes) {}

    std::int16_t Int16();
    std::uint16_t UInt16();
    std::uint32_t UInt32();
    float Float();
    double Double();
    // Also accepts the 16-bit-character marker (0xFF, 0xFFFE, then the prefix
    // again with 2-byte characters).
    QString String();

    bool Ok() const { return m_ok; }

  private:
    bool Take(void* out, qsizetype size);
    // A string length prefix. With wide given, the 16-bit-character marker sets
    // it and the prefix that follows is read with wide null, where 0xFFFE is a
    // plain length.
    std::uint32_t Length(bool* wide);

    const QByteArray& m_bytes;
    qsizetype m_position = 0;
    bool m_ok = true;
};
