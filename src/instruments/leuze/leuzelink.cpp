#include "instruments/leuze/leuzelink.h"

#include "instruments/serial/monitorstatus.h"
#include "instruments/serial/portnames.h"
#include "instruments/serial/serialdevice.h"

namespace {
constexpr int kShortestFrameBuffer = 3; // a buffer this short holds no frame
// A reader left talking to nobody cannot make the buffer grow without end.
constexpr int kBufferLimit = 14000;
constexpr int kBufferKeep = 20;
} // namespace

QByteArray LeuzeCommand(const QString& command) {
    return kStx + command.toLatin1() + "\r\n";
}

QString TakeLeuzeFrame(QString* buffer) {
    const int stx = buffer->indexOf(QLatin1Char(kStx));
    if (stx < 0 || buffer->size() <= kShortestFrameBuffer) return QString();
    const int lf = buffer->indexOf(QLatin1Char('\n'), stx + 1);
    if (lf < 0) return QString();
    // Up to the character before the LF, which is the CR of a well-formed
    // frame; an LF right after the STX gives nothing.
    const int length = qMax(0, lf - 1 - (stx + 1));
    const QString frame = buffer->mid(stx + 1, length);
    *buffer = buffer->mid(lf + 1);
    return frame;
}

CLeuzeLink::CLeuzeLink(int portIndex, std::unique_ptr<CSerialTransport> transport,
                       const QString& openFailure, QObject* parent)
    : QObject(parent), m_nPort(portIndex), m_pTransport(std::move(transport)) {
    if (!m_pTransport) {
        m_strFailure = openFailure;
        m_strStatus = ConnectionErrorText(m_nPort, openFailure);
        return;
    }
    m_strStatus = ConnectedLine(m_nPort, 0);
    connect(m_pTransport.get(), &CSerialTransport::BytesArrived, this, &CLeuzeLink::Drain);
    connect(m_pTransport.get(), &CSerialTransport::Lost, this, &CLeuzeLink::OnLost);
}

CLeuzeLink::~CLeuzeLink() {
    if (m_pTransport) m_pTransport->Close();
}

std::unique_ptr<CLeuzeLink> CLeuzeLink::Open(int portIndex, const CPortNames& ports) {
    QString reason;
    auto transport = OpenSerialDevice(ports.DevicePath(portIndex), &reason);
    return std::make_unique<CLeuzeLink>(portIndex, std::move(transport), reason);
}

bool CLeuzeLink::IsOpen() const {
    return m_pTransport && m_pTransport->IsOpen();
}

bool CLeuzeLink::Send(const QString& command) {
    return IsOpen() && m_pTransport->Write(LeuzeCommand(command));
}

void CLeuzeLink::Drain() {
    if (!m_pTransport) return;
    m_strBuffer += QString::fromLatin1(m_pTransport->ReadPending());
    if (m_strBuffer.size() > kBufferLimit) m_strBuffer = m_strBuffer.right(kBufferKeep);
}

void CLeuzeLink::OnLost(const QString& reason) {
    m_strFailure = reason;
    m_strStatus = ConnectionErrorText(m_nPort, reason);
    emit lost();
}

LeuzeLinkFactory DeviceLinkFactory(const CPortNames& ports) {
    return [&ports](int portIndex) { return CLeuzeLink::Open(portIndex, ports); };
}
