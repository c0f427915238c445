#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "instruments/pcmes3/ioports.h"

// A PC-MES3 card in the program, for practising without the hardware. It
// answers the byte handshake with three leading bytes, then the 59 bar and
// space durations of its code as 16-bit counts, low byte first, at 200 counts
// a module. Idle on the output (logical 1) starts its sequence over.
class CSimulatedCard : public CPortBus {
  public:
    static constexpr int kCountsPerModule = 200;
    static constexpr int kLeadingBytes = 3;
    static constexpr std::uint8_t kLeadingByte = 0xFF;

    explicit CSimulatedCard(const QString& code);

    // Whether a code is one the card can deliver: 13 digits.
    static bool IsCardCode(const QString& code);
    // Every byte the card hands out, in order; empty for a code it cannot deliver.
    static QByteArray CardBytes(const QString& code);

    std::uint8_t In(std::uint16_t port) override;
    void Out(std::uint16_t port, std::uint8_t value) override;

  private:
    QByteArray m_bytes;
    int m_nNext = 0;
    std::uint8_t m_nLatched = 0;
    bool m_bRequest = false;
};
