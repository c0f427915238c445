#include "instruments/leuze/laser.h"

CLaserControl::CLaserControl(std::unique_ptr<CLeuzeLink> link, QObject* parent)
    : QObject(parent), m_pLink(std::move(link)) {
    connect(m_pLink.get(), &CLeuzeLink::lost, this, &CLaserControl::OnLost);
    connect(m_pLink.get(), &CLeuzeLink::monitorChanged, this, &CLaserControl::changed);
    m_strMessage = QStringLiteral("Cliquer sur Démarrer...");
}

CLaserControl::~CLaserControl() {
    // The window that showed this object may be half gone: tell it nothing.
    blockSignals(true);
    Close();
}

QString CLaserControl::ButtonCaption() const {
    return m_bBeamOn ? QStringLiteral("&Arrêter") : QStringLiteral("&Démarrer");
}

void CLaserControl::Toggle() {
    if (!m_pLink) return;
    if (!m_bBeamOn) {
        m_strMessage = QStringLiteral("Faisceau présent...");
        m_pLink->Send(QStringLiteral("CA+"));
        m_pLink->Send(QStringLiteral("DL+"));
        m_bCloseEnabled = false;
    } else {
        m_strMessage = QStringLiteral("Faisceau arrêté !");
        m_pLink->Send(QStringLiteral("H"));
        m_bCloseEnabled = true;
    }
    m_bBeamOn = !m_bBeamOn;
    emit changed();
}

void CLaserControl::Close() {
    if (!m_pLink) return;
    if (m_bBeamOn) m_pLink->Send(QStringLiteral("H"));
    m_bBeamOn = 0;
    m_pLink.reset();
}

void CLaserControl::OnLost() {
    // Nothing can reach the reader any more: the dialog may be closed.
    m_strMessage = m_pLink->Status();
    m_bBeamOn = 0;
    m_bCloseEnabled = true;
    emit changed();
}
