#include "instruments/gwinstek/gdslink.h"

#include <chrono>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/serial/transportfactory.h"

namespace {

std::int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString DevicePathOf(const CZbDoc* doc, int port) {
    return doc && doc->m_pApp ? doc->m_pApp->m_ports.DevicePath(port)
                              : CPortNames::DefaultPath(port);
}

} // namespace

CGdsLink::CGdsLink(CZbDoc* doc, int port, QObject* parent)
    : CGdsLink(doc, port, DevicePathOf(doc, port), parent) {}

CGdsLink::CGdsLink(CZbDoc* doc, int port, const QString& devicePath, QObject* parent)
    : QObject(parent), m_pDoc(doc), m_nPort(port), m_monitor(doc, port), m_clock(SteadyMs) {
    QString reason;
    std::unique_ptr<CSerialTransport> transport = OpenTransport(devicePath, &reason);
    Attach(std::move(transport), reason);
}

CGdsLink::CGdsLink(CZbDoc* doc, int port, std::unique_ptr<CSerialTransport> transport,
                   const QString& failure, QObject* parent)
    : QObject(parent), m_pDoc(doc), m_nPort(port), m_monitor(doc, port), m_clock(SteadyMs) {
    Attach(std::move(transport), failure);
}

CGdsLink::~CGdsLink() {
    emit closing();
    m_tick.stop();
    m_monitor.Close();
    if (m_pTransport) m_pTransport->Close();
}

void CGdsLink::Attach(std::unique_ptr<CSerialTransport> transport, const QString& failure) {
    m_pTransport = std::move(transport);
    if (!m_pTransport || !m_pTransport->IsOpen()) {
        m_monitor.OpenFailed(failure);
        return;
    }
    m_monitor.SetLinkName(m_pTransport->LinkName());
    m_monitor.Opened(Now());
    connect(m_pTransport.get(), &CSerialTransport::BytesArrived, this, &CGdsLink::Drain);
    connect(m_pTransport.get(), &CSerialTransport::Lost, this, [this](const QString& reason) {
        m_tick.stop();
        m_monitor.PortLost(reason);
        emit monitorChanged();
        emit Lost(reason);
    });
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &CGdsLink::TickMonitor);
    m_tick.start(kMonitorPeriodMs);
}

bool CGdsLink::IsOpen() const {
    return m_pTransport && m_pTransport->IsOpen();
}

bool CGdsLink::Send(const QByteArray& data) {
    return IsOpen() && m_pTransport->Write(data);
}

QString CGdsLink::ReadCapture() {
    if (!m_pDoc || m_pDoc->m_bCaptureOpen) return QString();
    return m_pDoc->ReadCaptureText();
}

void CGdsLink::SetClock(Clock clock) {
    m_clock = std::move(clock);
    if (IsOpen()) m_monitor.Opened(Now()); // the link's age on the new clock
}

std::int64_t CGdsLink::Now() const {
    return m_clock();
}

void CGdsLink::Drain() {
    if (!m_pTransport) return;
    const QByteArray bytes = m_pTransport->ReadPending();
    if (bytes.isEmpty()) return;
    m_monitor.Receive(bytes, Now());
    emit monitorChanged();
}

void CGdsLink::TickMonitor() {
    const QString before = m_monitor.m_strStatus;
    const bool complete = m_monitor.Tick(Now());
    if (m_monitor.m_strStatus != before) emit monitorChanged();
    if (complete) emit replyComplete();
}
