#include "instruments/serial/sockettransport.h"

#include <QMetaObject>

#include "instruments/serial/portaddress.h"

QString SocketErrorText(const QString& address, QAbstractSocket::SocketError error,
                        const QString& detail) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral(
                   "Connexion refusée par %1 : l'appareil n'a pas de serveur SCPI sur ce "
                   "port (%2 sur un Rigol, %3 sur un Keysight).")
            .arg(address)
            .arg(kRigolSocketPort)
            .arg(kKeysightSocketPort);
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("Adresse inconnue : %1 (nom introuvable sur le réseau).")
            .arg(address);
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("L'appareil %1 est injoignable : vérifier son adresse, son câble "
                              "réseau et qu'il est allumé.")
            .arg(address);
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("L'appareil %1 a fermé la connexion.").arg(address);
    default:
        return QStringLiteral("La connexion à %1 a échoué (%2).").arg(address, detail);
    }
}

CSocketTransport::CSocketTransport(const QString& host, quint16 port, QObject* parent)
    : CSerialTransport(parent),
      m_address(host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2").arg(host).arg(port)
                                                : QStringLiteral("%1:%2").arg(host).arg(port)) {
    connect(&m_socket, &QTcpSocket::connected, this, &CSocketTransport::OnConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &CSerialTransport::BytesArrived);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &CSocketTransport::OnError);
    m_connectTimeout.setSingleShot(true);
    m_connectTimeout.setInterval(kConnectTimeoutMs);
    connect(&m_connectTimeout, &QTimer::timeout, this, [this] {
        if (m_bOpen && !IsConnected())
            Fail(SocketErrorText(m_address, QAbstractSocket::SocketTimeoutError, QString()));
    });
    m_connectTimeout.start();
    m_socket.connectToHost(host, port);
}

CSocketTransport::~CSocketTransport() {
    m_socket.disconnect(this);
    m_socket.abort();
}

bool CSocketTransport::IsConnected() const {
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

void CSocketTransport::OnConnected() {
    m_connectTimeout.stop();
    // Commands and replies are short lines: no waiting to fill a segment.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!m_queued.isEmpty()) {
        m_socket.write(m_queued);
        m_queued.clear();
    }
    emit Connected();
}

bool CSocketTransport::Write(const QByteArray& data) {
    if (!m_bOpen) return false;
    if (!IsConnected()) {
        m_queued += data;
        return true;
    }
    return m_socket.write(data) == data.size();
}

QByteArray CSocketTransport::ReadPending() {
    QByteArray bytes = m_pending;
    m_pending.clear();
    if (m_socket.isOpen()) bytes += m_socket.readAll();
    return bytes;
}

void CSocketTransport::Close() {
    m_bOpen = false;
    m_connectTimeout.stop();
    m_queued.clear();
    m_socket.abort();
}

void CSocketTransport::OnError(QAbstractSocket::SocketError error) {
    if (!m_bOpen) return;
    Fail(SocketErrorText(m_address, error, m_socket.errorString()));
}

void CSocketTransport::Fail(const QString& reason) {
    // What arrived before the break is still handed on.
    if (m_socket.isOpen()) m_pending += m_socket.readAll();
    if (!m_pending.isEmpty()) emit BytesArrived();
    m_bOpen = false;
    m_connectTimeout.stop();
    m_queued.clear();
    m_socket.abort();
    // Told from the event loop: a connection that fails at once (no route)
    // fails inside the constructor, before the owner listens for Lost.
    QMetaObject::invokeMethod(
        this, [this, reason] { emit Lost(reason); }, Qt::QueuedConnection);
}
