#include "instruments/gwinstek/gdsidentify.h"

#include "common/format.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/gdslink.h"
#include "instruments/gwinstek/gdsprotocol.h"

void CGdsIdentify::Test(CGdsLink* link) {
    link->Send(kGdsClear);
    link->Send(kGdsIdentify);
    // Counts this reply only: a file left by an earlier one is no answer.
    m_pDoc->m_nCaptureCount = 0;
    m_bTestEnabled = false;
    m_nTicks = 0;
    m_bWaiting = true;
}

bool CGdsIdentify::Tick(CGdsLink* link) {
    if (!m_bWaiting) return true;
    if (m_pDoc->m_bCaptureOpen) {
        m_nTicks = 0;
        return false;
    }
    if (++m_nTicks <= kTicks) return false;
    m_bWaiting = false;
    m_bTestEnabled = true;
    const bool answered = m_pDoc->m_nCaptureCount > 0 && link->Monitor().FileError().isEmpty();
    const QString reply = link->ReadCapture(); // also drops the samples shown, as reading does
    if (answered && !reply.isEmpty()) {
        m_bOkEnabled = true;
        m_strMessage = QStringLiteral("Identification:\n") + reply;
    } else {
        m_strMessage = Sprintf("Erreur de lecture sur COM%d.", m_nPort + 1);
        m_bOkEnabled = false;
    }
    return true;
}
