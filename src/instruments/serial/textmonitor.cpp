#include "instruments/serial/textmonitor.h"

#include "common/format.h"
#include "instruments/serial/monitorstatus.h"

CTextMonitor::CTextMonitor(int portIndex, QString* buffer)
    : m_nPort(portIndex), m_pBuffer(buffer) {}

void CTextMonitor::Connected(std::int64_t nowMs) {
    m_nStartMs = nowMs;
    m_bConnected = true;
    m_bPausing = false;
    m_held.clear();
    ShowConnected(nowMs);
}

void CTextMonitor::Failed(const QString& reason) {
    m_bConnected = false;
    m_bPausing = false;
    m_held.clear();
    m_strStatus = ConnectionErrorText(m_nPort, reason);
}

void CTextMonitor::Receive(const QByteArray& bytes, std::int64_t nowMs) {
    if (!m_bConnected || bytes.isEmpty()) return;
    if (m_bPausing) {
        m_held += bytes;
        Tick(nowMs);
        return;
    }
    Append(bytes);
    ShowConnected(nowMs);
    if (m_pBuffer->size() > kBufferLimit) {
        *m_pBuffer = m_pBuffer->right(kBufferKeep);
        ++m_nCuts;
        m_strStatus = QStringLiteral("Initialisation buffer ...");
        m_bPausing = true;
        m_nPauseEndMs = nowMs + kOverflowPauseMs;
    }
}

void CTextMonitor::Tick(std::int64_t nowMs) {
    if (!m_bConnected) return;
    if (m_bPausing) {
        if (nowMs < m_nPauseEndMs) return; // "Initialisation buffer ..." stays for the pause
        m_bPausing = false;
        const QByteArray held = m_held;
        m_held.clear();
        if (!held.isEmpty()) {
            Receive(held, nowMs);
            return;
        }
    }
    ShowConnected(nowMs);
}

void CTextMonitor::Append(const QByteArray& bytes) {
    for (const char byte : bytes) {
        if (byte == '\r' || byte == '\n')
            m_strReceived += QStringLiteral("  ");
        else
            m_strReceived += QChar(uchar(byte));
        // Folded at every character, so the display never holds more than
        // "... " and the last 140 whatever the reply's size.
        m_strReceived = FoldDisplay(m_strReceived, kDisplayKeep);
        *m_pBuffer += QChar(uchar(byte));
    }
}

void CTextMonitor::ShowConnected(std::int64_t nowMs) {
    m_strStatus = ConnectedLine(m_nPort, (nowMs - m_nStartMs) / 1000, m_strLinkName) +
                  Sprintf("\nLe buffer contient %d caractère(s).", int(m_pBuffer->size()));
}
