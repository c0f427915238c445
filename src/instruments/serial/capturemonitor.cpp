#include "instruments/serial/capturemonitor.h"

#include <QDir>
#include <QFileInfo>

#include "common/format.h"
#include "doc/zbdoc.h"
#include "instruments/serial/monitorstatus.h"

namespace {

constexpr std::int64_t kSilenceSeconds = 1; // a reply is over after more than this

std::int64_t WholeSeconds(std::int64_t ms) {
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

} // namespace

CCaptureMonitor::CCaptureMonitor(CZbDoc* doc, int portIndex) : m_pDoc(doc), m_nPort(portIndex) {}

CCaptureMonitor::~CCaptureMonitor() {
    Close();
}

void CCaptureMonitor::Opened(std::int64_t nowMs) {
    m_bPortOk = true;
    m_timeStart = m_timeNow = WholeSeconds(nowMs);
    m_nLastByteMs = nowMs;
    m_timeLastByte = m_timeStart;
    if (m_pDoc) m_pDoc->m_bCaptureOpen = 0;
    UpdateStatus();
}

void CCaptureMonitor::OpenFailed(const QString& reason) {
    m_bPortOk = false;
    if (m_pDoc) m_pDoc->m_bCaptureOpen = 0;
    m_strPortError = ConnectionErrorText(m_nPort, reason);
    m_strStatus = m_strPortError;
}

void CCaptureMonitor::PortLost(const QString& reason) {
    Close();
    OpenFailed(reason);
}

void CCaptureMonitor::StartFile() {
    m_pDoc->m_bCaptureOpen = 1;
    m_pDoc->m_nCaptureCount = 0;
    m_file.close();
    const QString path = m_pDoc->m_strCapturePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_file.setFileName(path);
    m_bFileOk = m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!m_bFileOk)
        m_strFileError =
            Sprintf("Fichier tampon %s impossible à créer : %s", path, m_file.errorString());
}

void CCaptureMonitor::Receive(const QByteArray& bytes, std::int64_t nowMs) {
    if (bytes.isEmpty()) return;
    m_nLastByteMs = nowMs;
    m_timeLastByte = WholeSeconds(nowMs);
    if (m_pDoc) {
        if (!m_pDoc->m_bCaptureOpen) StartFile();
        if (m_bFileOk && m_file.write(bytes) == bytes.size())
            m_pDoc->m_nCaptureCount += std::int32_t(bytes.size());
    }
    QString shown = m_strReceived;
    for (char byte : bytes) {
        shown = FoldDisplay(shown, kDisplayKeep);
        shown += Sprintf("%02X ", int(static_cast<unsigned char>(byte)));
    }
    m_strReceived = shown;
    UpdateStatus();
}

bool CCaptureMonitor::Tick(std::int64_t nowMs) {
    if (!m_bPortOk) return false;
    m_timeNow = WholeSeconds(nowMs);
    UpdateStatus();
    if (m_timeNow - m_timeLastByte > kSilenceSeconds && m_pDoc && m_pDoc->m_bCaptureOpen) {
        Close();
        return true;
    }
    return false;
}

void CCaptureMonitor::Close() {
    m_file.close();
    if (m_pDoc) m_pDoc->m_bCaptureOpen = 0;
}

void CCaptureMonitor::UpdateStatus() {
    if (!m_bPortOk) return;
    m_strStatus = ConnectedLine(m_nPort, m_timeNow - m_timeStart, m_strLinkName) +
                  Sprintf("\nLe fichier tampon contient %d caractère(s).",
                          m_pDoc ? int(m_pDoc->m_nCaptureCount) : 0);
    if (!m_bFileOk) m_strStatus += QLatin1Char('\n') + m_strFileError;
}
