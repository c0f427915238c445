#include "instruments/scpi/scpilink.h"

#include "instruments/serial/portnames.h"
#include "instruments/serial/transportfactory.h"

CScpiLink::CScpiLink(int portIndex, const CPortNames& ports, QObject* parent)
    : CScpiLink(portIndex, ports.DevicePath(portIndex), parent) {}

CScpiLink::CScpiLink(int portIndex, const QString& device, QObject* parent)
    : QObject(parent), m_nPort(portIndex) {
    QString failure;
    // A serial device, a socket address or a usbtmc device, as the port is written.
    std::unique_ptr<CSerialTransport> transport = OpenTransport(device, &failure);
    Attach(std::move(transport), failure);
}

CScpiLink::CScpiLink(int portIndex, std::unique_ptr<CSerialTransport> transport,
                     const QString& failure, QObject* parent)
    : QObject(parent), m_nPort(portIndex) {
    Attach(std::move(transport), failure);
}

CScpiLink::~CScpiLink() {
    if (m_pTransport) m_pTransport->Close();
}

void CScpiLink::Attach(std::unique_ptr<CSerialTransport> transport, const QString& failure) {
    m_pTransport = std::move(transport);
    if (!m_pTransport || !m_pTransport->IsOpen()) {
        m_strFailure =
            failure.isEmpty()
                ? QStringLiteral("Le port COM%1 ne peut pas être ouvert.").arg(m_nPort + 1)
                : failure;
        return;
    }
    connect(m_pTransport.get(), &CSerialTransport::BytesArrived, this, &CScpiLink::Drain);
    connect(m_pTransport.get(), &CSerialTransport::Lost, this, [this](const QString& reason) {
        m_strFailure = reason;
        emit Lost(reason);
    });
}

bool CScpiLink::Send(const QByteArray& data) {
    return IsOpen() && m_pTransport->Write(data);
}

void CScpiLink::Drain() {
    if (!m_pTransport) return;
    const QByteArray bytes = m_pTransport->ReadPending();
    if (!bytes.isEmpty()) emit Received(bytes);
}
