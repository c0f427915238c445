#include "instruments/tektronix/tekportsession.h"

#include "common/format.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

CTekPortSession::CTekPortSession(CZbDoc* doc) : m_pDoc(doc) {}

QString CTekPortSession::DevicePath(int portIndex) const {
    return m_pDoc->m_pApp->m_ports.DevicePath(portIndex);
}

void CTekPortSession::NewLink() {
    m_pLink.reset(); // the port is free before it is opened again
    m_pLink = std::make_unique<CTekLink>(m_nPort, m_pDoc->m_pApp->m_ports);
}

void CTekPortSession::Open() {
    m_nPort = m_pDoc->m_nScopePort;
    NewLink();
    m_strMessage = QStringLiteral("Cliquer sur Tester pour demander la version de l'appareil...");
    m_bOkEnabled = true;
}

void CTekPortSession::Test() {
    if (!m_pLink) return;
    m_pLink->Send("RS232:PRESET\n");
    m_pLink->Send("ID?\n");
    m_bTestEnabled = false;
    m_nTicks = 0;
    m_bTimer = true;
}

void CTekPortSession::Tick() {
    if (!m_bTimer) return;
    ++m_nTicks;
    if (m_nTicks <= kTestTicks) return;
    m_bTimer = false;
    m_bTestEnabled = true;
    const QString line = m_pLink->ReadLine();
    if (!line.isEmpty()) {
        m_bOkEnabled = true;
        m_strMessage = QStringLiteral("Identification:\n") + line;
        m_pLink->ClearBuffer();
    } else {
        m_strMessage = Sprintf("Erreur de lecture sur COM%d", m_nPort + 1);
        m_bOkEnabled = false;
    }
}

void CTekPortSession::PortClicked() {
    m_bTimer = false;
    m_bTestEnabled = true; // the abandoned test must not leave "&Tester" dead
    NewLink();
}

bool CTekPortSession::SetDevice(int portIndex, const QString& path) {
    if (path.isEmpty() || path == DevicePath(portIndex)) return false;
    m_pDoc->m_pApp->m_ports.SetDevicePath(portIndex, path);
    if (portIndex != m_nPort) return false;
    m_bTimer = false;
    m_bTestEnabled = true;
    NewLink();
    return true;
}

void CTekPortSession::Ok() {
    m_bTimer = false;
    m_pLink.reset();
    m_pDoc->m_nScopePort = std::int16_t(m_nPort);
}

void CTekPortSession::Quit() {
    m_bTimer = false;
    m_pLink.reset();
}
