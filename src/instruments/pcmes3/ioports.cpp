#include "instruments/pcmes3/ioports.h"

#include "instruments/pcmes3/simulatedcard.h"

#if defined(__linux__) && (defined(__i386__) || defined(__x86_64__))
#include <sys/io.h>
#define LINEATIX_PORT_IO 1
#endif

CHardwarePortBus::CHardwarePortBus() {
#ifdef LINEATIX_PORT_IO
    m_bAccess = ioperm(kCardBlockBase, kCardBlockCount, 1) == 0 &&
                ioperm(kCardDataPort, kCardDataCount, 1) == 0;
#endif
}

CHardwarePortBus::~CHardwarePortBus() {
#ifdef LINEATIX_PORT_IO
    if (m_bAccess) {
        ioperm(kCardBlockBase, kCardBlockCount, 0);
        ioperm(kCardDataPort, kCardDataCount, 0);
    }
#endif
}

std::uint8_t CHardwarePortBus::In(std::uint16_t port) {
#ifdef LINEATIX_PORT_IO
    if (m_bAccess) return inb(port);
#else
    (void)port;
#endif
    return 0xFF; // what a bus without a card answers
}

void CHardwarePortBus::Out(std::uint16_t port, std::uint8_t value) {
#ifdef LINEATIX_PORT_IO
    if (m_bAccess) outb(value, port);
#else
    (void)port;
    (void)value;
#endif
}

CIoPorts::CIoPorts(std::unique_ptr<CPortBus> bus) : m_pBus(std::move(bus)) {
    for (int k = 0; k < kCardBlockCount; ++k)
        m_nPorts[k] = static_cast<std::uint16_t>(kCardBlockBase + k);
    for (int k = 0; k < kCardDataCount; ++k)
        m_nPorts[kCardBlockCount + k] = static_cast<std::uint16_t>(kCardDataPort + k);
}

std::uint8_t CIoPorts::ReadInput() {
    return m_pBus->In(m_nPorts[kInputEntry]);
}

void CIoPorts::WriteOutput(std::uint8_t value) {
    const std::uint8_t complemented = static_cast<std::uint8_t>(255 - value);
    m_pBus->Out(m_nPorts[kOutputEntry], complemented);
    m_nLastOutput = complemented;
}

std::unique_ptr<CIoPorts> OpenCardPorts(const QString& simulatedCode) {
    if (!simulatedCode.isEmpty())
        return std::make_unique<CIoPorts>(std::make_unique<CSimulatedCard>(simulatedCode));
    return std::make_unique<CIoPorts>(std::make_unique<CHardwarePortBus>());
}
