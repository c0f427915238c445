#include "instruments/serial/textlink.h"

#include "instruments/serial/portnames.h"
#include "instruments/serial/transportfactory.h"

namespace {

constexpr int kClockPeriodMs = 1000; // the status line shows whole seconds

} // namespace

QString TakeLine(QString* buffer) {
    const qsizetype end = buffer->indexOf(QLatin1Char('\n'));
    if (end < 0) return QString();
    QString line = buffer->left(end);
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    buffer->remove(0, end + 1);
    return line;
}

CTextSerialLink::CTextSerialLink(int portIndex, const CPortNames& ports, QObject* parent)
    : QObject(parent), m_nPort(portIndex), m_monitor(portIndex, &m_strBuffer) {
    QString failure;
    Start(OpenTransport(ports.DevicePath(portIndex), &failure), failure);
}

CTextSerialLink::CTextSerialLink(int portIndex, std::unique_ptr<CSerialTransport> transport,
                                 const QString& failure, QObject* parent)
    : QObject(parent), m_nPort(portIndex), m_monitor(portIndex, &m_strBuffer) {
    Start(std::move(transport), failure);
}

CTextSerialLink::~CTextSerialLink() {
    if (m_pTransport) m_pTransport->Close();
}

void CTextSerialLink::Start(std::unique_ptr<CSerialTransport> transport, const QString& failure) {
    m_pTransport = std::move(transport);
    m_clockStart.start();
    m_clock.setInterval(kClockPeriodMs);
    m_pauseEnd.setSingleShot(true);
    connect(&m_clock, &QTimer::timeout, this, &CTextSerialLink::OnClock);
    connect(&m_pauseEnd, &QTimer::timeout, this, &CTextSerialLink::OnClock);
    if (!m_pTransport) {
        m_monitor.Failed(failure);
        return;
    }
    connect(m_pTransport.get(), &CSerialTransport::BytesArrived, this, &CTextSerialLink::Drain);
    connect(m_pTransport.get(), &CSerialTransport::Lost, this, &CTextSerialLink::OnLost);
    m_monitor.SetLinkName(m_pTransport->LinkName());
    m_monitor.Connected(NowMs());
    m_clock.start();
}

bool CTextSerialLink::Send(const QByteArray& data) {
    return IsOpen() && m_pTransport->Write(data);
}

QString CTextSerialLink::ReadLine() {
    return TakeLine(&m_strBuffer);
}

void CTextSerialLink::Drain() {
    if (!IsOpen()) return;
    const QByteArray bytes = m_pTransport->ReadPending();
    if (bytes.isEmpty()) return;
    m_monitor.Receive(bytes, NowMs());
    ArmPauseEnd();
    emit MonitorChanged();
}

void CTextSerialLink::OnClock() {
    m_monitor.Tick(NowMs());
    ArmPauseEnd(); // the bytes held during a pause may have cut the buffer again
    emit MonitorChanged();
}

void CTextSerialLink::ArmPauseEnd() {
    if (!m_monitor.IsPausing() || m_pauseEnd.isActive()) return;
    m_pauseEnd.start(int(qMax<std::int64_t>(0, m_monitor.PauseEndMs() - NowMs())));
}

void CTextSerialLink::OnLost(const QString& reason) {
    m_clock.stop();
    m_pauseEnd.stop();
    m_monitor.Failed(reason);
    emit MonitorChanged();
    emit Lost(reason);
}
