#include "instruments/leuze/simreader.h"

#include "code/code.h"
#include "instruments/leuze/leuzelink.h"

const char* const CSimLeuzeReader::kVersion = "BCL32 V1.10 SIMULATION";
const char* const CSimLeuzeReader::kPrefix = "00EAN ";

CSimLeuzeReader::CSimLeuzeReader(const QStringList& codes, int intervalMs, std::uint32_t seed)
    : m_codes(codes), m_nIntervalMs(intervalMs > 0 ? intervalMs : kDefaultIntervalMs),
      m_random(seed) {}

QString CSimLeuzeReader::RandomCode() {
    std::uniform_int_distribution<int> digit(0, 9);
    QString code;
    for (int k = 0; k < kCodeLength - 1; ++k)
        code += QLatin1Char(static_cast<char>('0' + digit(m_random)));
    return code + QLatin1Char(static_cast<char>('0' + CCode(nullptr).CheckDigit(code)));
}

QByteArray CSimLeuzeReader::Receive(const QByteArray& bytes, std::int64_t nowMs) {
    m_strPending += QString::fromLatin1(bytes);
    QByteArray answer;
    // Commands come framed like the reader's own answers.
    for (;;) {
        const int before = m_strPending.size();
        const QString command = TakeLeuzeFrame(&m_strPending);
        if (m_strPending.size() == before) break;
        answer += Command(command, nowMs);
    }
    // Noise without a frame in it is not kept for ever.
    constexpr int kPendingLimit = 1000;
    if (m_strPending.size() > kPendingLimit) m_strPending = m_strPending.right(kPendingLimit / 10);
    return answer;
}

QByteArray CSimLeuzeReader::Command(const QString& command, std::int64_t nowMs) {
    if (command == QLatin1String("V")) return LeuzeCommand(QLatin1String(kVersion));
    if (command == QLatin1String("H")) {
        m_bLaser = m_bDecoding = false;
    } else if (command == QLatin1String("CA+")) {
        m_bLaser = true;
    } else if (command == QLatin1String("DL+")) {
        m_bDecoding = true;
    }
    // The first code comes a while after the beam comes on.
    if (BeamOn()) m_nNextFrameMs = nowMs + m_nIntervalMs / 2;
    return QByteArray();
}

QByteArray CSimLeuzeReader::Tick(std::int64_t nowMs) {
    if (!BeamOn() || nowMs < m_nNextFrameMs) return QByteArray();
    m_nNextFrameMs = nowMs + m_nIntervalMs;
    QString code;
    if (m_codes.isEmpty()) {
        code = RandomCode();
    } else {
        code = m_codes.at(m_nNextCode);
        m_nNextCode = (m_nNextCode + 1) % m_codes.size();
    }
    return LeuzeCommand(QLatin1String(kPrefix) + code);
}
