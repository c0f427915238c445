#include "instruments/leuze/leuzelink.h"

namespace {
constexpr int kShortestFrameBuffer = 3; // a buffer this short holds no frame
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

CLeuzeLink::CLeuzeLink(int portIndex, const CPortNames& ports, QObject* parent)
    : QObject(parent), m_serial(portIndex, ports) {
    Connect();
}

CLeuzeLink::CLeuzeLink(int portIndex, std::unique_ptr<CSerialTransport> transport,
                       const QString& openFailure, QObject* parent)
    : QObject(parent), m_serial(portIndex, std::move(transport), openFailure) {
    Connect();
}

void CLeuzeLink::Connect() {
    connect(&m_serial, &CTextSerialLink::MonitorChanged, this, &CLeuzeLink::monitorChanged);
    connect(&m_serial, &CTextSerialLink::Lost, this, &CLeuzeLink::lost);
}

bool CLeuzeLink::Send(const QString& command) {
    return m_serial.Send(LeuzeCommand(command));
}

LeuzeLinkFactory DeviceLinkFactory(const CPortNames& ports) {
    return [&ports](int portIndex) { return std::make_unique<CLeuzeLink>(portIndex, ports); };
}
