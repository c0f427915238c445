#pragma once

#include <QString>
#include <cstdint>
#include <memory>

// The bus the digital card sits on: one-byte input and output at an I/O
// address. The hardware and the simulated card both stand behind it.
class CPortBus {
  public:
    virtual ~CPortBus() = default;
    virtual std::uint8_t In(std::uint16_t port) = 0;
    virtual void Out(std::uint16_t port, std::uint8_t value) = 0;
};

// Direct x86 port instructions on the card's ports. Access is asked for (ioperm,
// root or CAP_SYS_RAWIO) on construction and given back on destruction;
// without it the bus stays inert (reads 0xFF, writes nothing) instead of
// faulting on the first instruction.
class CHardwarePortBus : public CPortBus {
  public:
    CHardwarePortBus();
    ~CHardwarePortBus() override;
    CHardwarePortBus(const CHardwarePortBus&) = delete;
    CHardwarePortBus& operator=(const CHardwarePortBus&) = delete;

    bool HasAccess() const { return m_bAccess; }
    std::uint8_t In(std::uint16_t port) override;
    void Out(std::uint16_t port, std::uint8_t value) override;

  private:
    bool m_bAccess = false;
};

// The I/O port map of the PC-MES3 card: the register block 0x330 to 0x337 and
// the ports 0x340 and 0x341. Input and output both use 0x340; the output is
// driven with the complement of the logical value.
class CIoPorts {
  public:
    static constexpr int kPortCount = 10;
    static constexpr int kInputEntry = 8;  // 0x340
    static constexpr int kOutputEntry = 8; // 0x340

    explicit CIoPorts(std::unique_ptr<CPortBus> bus);

    // The byte on the input port, zero-extended.
    std::uint8_t ReadInput();
    // Writes 255 - value to the output port and keeps it in m_nLastOutput.
    void WriteOutput(std::uint8_t value);

    std::uint16_t m_nPorts[kPortCount];
    std::int32_t m_nLastOutput = 0; // the last byte written, complemented

  private:
    std::unique_ptr<CPortBus> m_pBus;
};

// The card's ports: the simulated card delivering simulatedCode when it is not
// empty, the hardware otherwise.
std::unique_ptr<CIoPorts> OpenCardPorts(const QString& simulatedCode);

// The register block and the data ports, as ranges for the access request.
constexpr std::uint16_t kCardBlockBase = 0x330;
constexpr int kCardBlockCount = 8;
constexpr std::uint16_t kCardDataPort = 0x340;
constexpr int kCardDataCount = 2;
