#include "instruments/scpi/scpiidentify.h"

void CScpiIdentify::Test(const std::function<bool(const QByteArray&)>& send) {
    m_buffer.clear();
    m_nTicks = 0;
    m_bTestEnabled = false;
    m_bWaiting = true;
    if (!send("*IDN?\n"))
        Done(QStringLiteral("Erreur d'écriture sur COM%1.").arg(m_nPort + 1), false);
}

void CScpiIdentify::Receive(const QByteArray& bytes) {
    if (!m_bWaiting) return;
    m_buffer += bytes;
    QByteArray line;
    if (!TakeScpiLine(&m_buffer, &line)) return;
    const QString reply = QString::fromLatin1(line);
    Done(QStringLiteral("Identification:\n") + reply + QLatin1Char('\n') +
             ScpiDialectNote(IdentifyScpi(reply)),
         true);
}

void CScpiIdentify::Tick() {
    if (!m_bWaiting || ++m_nTicks <= kTimeoutTicks) return;
    Done(QStringLiteral("Erreur de lecture sur COM%1.").arg(m_nPort + 1), false);
}

void CScpiIdentify::Done(const QString& message, bool answered) {
    m_bWaiting = false;
    m_bTestEnabled = true;
    m_bOkEnabled = answered;
    m_strMessage = message;
}
