#include "instruments/pcmes3/simulatedcard.h"

#include "decode/scanmodel.h"

namespace {
// Logical output values of the handshake (the port carries their complement).
constexpr std::uint8_t kIdle = 1;
constexpr std::uint8_t kRequestBit = 2;
} // namespace

CSimulatedCard::CSimulatedCard(const QString& code) : m_bytes(CardBytes(code)) {}

bool CSimulatedCard::IsCardCode(const QString& code) {
    return !Ean13Modules(code).isEmpty();
}

QByteArray CSimulatedCard::CardBytes(const QString& code) {
    const QString modules = Ean13Modules(code);
    if (modules.isEmpty()) return QByteArray();
    QByteArray bytes(kLeadingBytes, static_cast<char>(kLeadingByte));
    // Run lengths of the modules: the 59 intervals, from the first bar.
    int start = 0;
    for (int k = 1; k <= modules.size(); ++k) {
        if (k < modules.size() && modules.at(k) == modules.at(start)) continue;
        const int counts = (k - start) * kCountsPerModule;
        bytes.append(static_cast<char>(counts & 0xFF));
        bytes.append(static_cast<char>((counts >> 8) & 0xFF));
        start = k;
    }
    return bytes;
}

std::uint8_t CSimulatedCard::In(std::uint16_t port) {
    return port == kCardDataPort ? m_nLatched : 0xFF;
}

void CSimulatedCard::Out(std::uint16_t port, std::uint8_t value) {
    if (port != kCardDataPort) return;
    const std::uint8_t logical = static_cast<std::uint8_t>(255 - value);
    if (logical == kIdle) m_nNext = 0;
    const bool request = (logical & kRequestBit) != 0;
    // A new request presents the next byte; past the end the inputs read 0.
    if (request && !m_bRequest)
        m_nLatched =
            m_nNext < m_bytes.size() ? static_cast<std::uint8_t>(m_bytes.at(m_nNext++)) : 0;
    m_bRequest = request;
}
