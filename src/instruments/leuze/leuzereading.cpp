#include "instruments/leuze/leuzereading.h"

#include "common/format.h"
#include "doc/zbdoc.h"

namespace {
// The restart after a code, in order; each is followed by a pause.
const char* const kRestartCommands[] = {"H", "CA+", "DL+"};
constexpr int kRestartCount = 3;
} // namespace

CLeuzeReading::CLeuzeReading(CZbDoc* doc, std::unique_ptr<CLeuzeLink> link, QObject* parent)
    : QObject(parent), m_pDoc(doc), m_pLink(std::move(link)) {
    m_tick.setInterval(kTickMs);
    m_pause.setSingleShot(true);
    connect(&m_tick, &QTimer::timeout, this, &CLeuzeReading::OnTick);
    connect(&m_pause, &QTimer::timeout, this, &CLeuzeReading::OnPauseOver);
    connect(m_pLink.get(), &CLeuzeLink::lost, this, &CLeuzeReading::OnLost);
    connect(m_pLink.get(), &CLeuzeLink::monitorChanged, this, &CLeuzeReading::changed);
    m_strMessage = QStringLiteral("Cliquer sur Lire...");
}

CLeuzeReading::~CLeuzeReading() {
    // The window that showed this object may be half gone: tell it nothing.
    blockSignals(true);
    Close();
}

QString CLeuzeReading::ButtonCaption() const {
    return m_bReading ? QStringLiteral("&Arrêter") : QStringLiteral("&Lire");
}

void CLeuzeReading::Toggle() {
    if (!m_pLink) return;
    if (!m_bReading)
        Start();
    else
        Stop();
    m_bReading = !m_bReading;
    emit changed();
}

void CLeuzeReading::Start() {
    m_bCloseEnabled = false;
    m_pLink->Send(QStringLiteral("CA+"));
    m_pLink->Send(QStringLiteral("DL+"));
    m_pLink->ClearBuffer();
    m_nTicks = 0;
    m_bBusy = 0;
    m_tick.start();
}

void CLeuzeReading::Stop() {
    m_tick.stop();
    // A restart under way is abandoned: the beam is to stay off.
    m_pause.stop();
    m_bRestarting = false;
    m_bBusy = 0;
    m_bCloseEnabled = true;
    m_pLink->Send(QStringLiteral("H"));
    m_strMessage = QStringLiteral("Laser coupé...");
    m_pDoc->m_strCode = m_strLastCode;
    m_pDoc->m_nDisplay = 0;
    emit redrawRequested();
}

void CLeuzeReading::Close() {
    if (!m_pLink) return;
    if (m_bReading) Toggle();
    m_pLink.reset();
}

void CLeuzeReading::OnTick() {
    if (m_bBusy || !m_pLink) return;
    m_nTicks = static_cast<std::int16_t>(m_nTicks + 1);
    m_bBusy = 1;
    const QString frame = m_pLink->ReadFrame();
    if (frame.size() < kCodeFrameLength) {
        m_strMessage = Sprintf("Attente code (%d) ...", m_nTicks);
        m_bBusy = 0;
        emit changed();
        return;
    }
    m_pLink->ClearBuffer();
    m_strLastCode = frame.mid(kPrefixLength);
    m_strMessage = QStringLiteral("Code lu: ") + m_strLastCode;
    emit changed();
    emit codeRead();
    if (!m_bReading) return; // the code ended the reading (batch): no restart
    m_nRestartStep = 0;
    m_bRestarting = true;
    OnPauseOver();
}

void CLeuzeReading::OnPauseOver() {
    if (!m_bRestarting || !m_pLink) return;
    if (m_nRestartStep < kRestartCount) {
        m_pLink->Send(QLatin1String(kRestartCommands[m_nRestartStep++]));
        m_pause.start(kRestartPauseMs);
        return;
    }
    m_bRestarting = false;
    m_nTicks = 0;
    m_bBusy = 0;
    emit changed();
}

void CLeuzeReading::OnLost() {
    // The reading ends; a code read before stays in the document.
    m_tick.stop();
    m_pause.stop();
    m_bRestarting = false;
    m_bBusy = 0;
    if (m_bReading && !m_strLastCode.isEmpty()) {
        m_pDoc->m_strCode = m_strLastCode;
        m_pDoc->m_nDisplay = 0;
        emit redrawRequested();
    }
    m_bReading = 0;
    m_bCloseEnabled = true;
    m_strMessage = m_pLink->Status();
    emit changed();
}
