#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <random>

// A Leuze BCL32 reader as the program sees it, for the simulator: it answers
// "V" with a version frame; while its beam is on ("CA+", "DL+") it sends a
// code frame every so often (6 characters of prefix, then the code), from the
// codes it was given in turn or random valid codes; "H" switches it off.
class CSimLeuzeReader {
  public:
    static constexpr int kDefaultIntervalMs = 1000;
    static const char* const kVersion; // the text of the version frame
    static const char* const kPrefix;  // the 6 characters before a code

    CSimLeuzeReader(const QStringList& codes, int intervalMs, std::uint32_t seed);

    // Bytes from the program; returns the answer to send now.
    QByteArray Receive(const QByteArray& bytes, std::int64_t nowMs);
    // The bytes due at nowMs (a code frame while the beam is on).
    QByteArray Tick(std::int64_t nowMs);

    bool BeamOn() const { return m_bLaser && m_bDecoding; }
    // A 13-digit code with its check digit, from the generator.
    QString RandomCode();

  private:
    QByteArray Command(const QString& command, std::int64_t nowMs);

    QStringList m_codes;
    int m_nNextCode = 0;
    int m_nIntervalMs;
    std::mt19937 m_random;
    QString m_strPending; // received characters not yet a whole command
    bool m_bLaser = false;
    bool m_bDecoding = false;
    std::int64_t m_nNextFrameMs = 0;
};
