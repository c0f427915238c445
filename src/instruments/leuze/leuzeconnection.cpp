#include "instruments/leuze/leuzeconnection.h"

#include "common/format.h"

CLeuzeConnection::CLeuzeConnection(int portIndex, LeuzeLinkFactory factory, QObject* parent)
    : QObject(parent), m_nPort(static_cast<std::int16_t>(portIndex)),
      m_factory(std::move(factory)) {
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CLeuzeConnection::OnTick);
    OpenLink();
    m_strMessage = QStringLiteral("Cliquer sur Tester pour demander la version de l'appareil...");
}

void CLeuzeConnection::Test() {
    if (!m_pLink) return; // closed
    m_pLink->Send(QStringLiteral("V"));
    m_bTestEnabled = false;
    m_nTicks = 0;
    m_timer.start();
    emit changed();
}

void CLeuzeConnection::OnTick() {
    if (!m_pLink) return; // closed
    m_nTicks = static_cast<std::int16_t>(m_nTicks + 1);
    if (m_nTicks <= kReplyTicks) return;
    m_timer.stop();
    m_bTestEnabled = true;
    const QString frame = m_pLink->ReadFrame();
    m_strMessage = !frame.isEmpty()
                       ? QStringLiteral("Identification:\n") + frame
                       : Sprintf("Erreur de lecture sur COM%d:9600,8,'N',1.", m_nPort + 1);
    emit changed();
}

void CLeuzeConnection::SelectPort(int portIndex) {
    m_timer.stop();
    m_pLink.reset(); // the old port closes before the new one opens
    m_nPort = static_cast<std::int16_t>(portIndex);
    OpenLink();
    m_timer.start();
    emit changed();
}

int CLeuzeConnection::Close() {
    m_timer.stop();
    m_pLink.reset();
    return m_nPort;
}

void CLeuzeConnection::OpenLink() {
    m_pLink = m_factory(m_nPort);
    connect(m_pLink.get(), &CLeuzeLink::monitorChanged, this, &CLeuzeConnection::changed);
}
