#pragma once

#include <QTcpSocket>
#include <QTimer>

#include "instruments/serial/serialtransport.h"

// The link over a raw SCPI socket (a scope's LAN port): the connection is
// made in the background, and what is written before it is up waits for it,
// so the window never freezes and the protocols write as on a serial port.
// A refused, unreachable or unknown host, or a connection that breaks, ends
// the link with Lost and a French text naming the address.
class CSocketTransport : public CSerialTransport {
    Q_OBJECT

  public:
    // Longest wait for the connection: an address that no one answers (a
    // scope switched off) drops packets rather than refusing them.
    static constexpr int kConnectTimeoutMs = 5000;

    CSocketTransport(const QString& host, quint16 port, QObject* parent = nullptr);
    ~CSocketTransport() override;

    // The address as the messages name it: host:port.
    QString Address() const { return m_address; }
    bool IsConnected() const;
    void SetConnectTimeout(int ms) { m_connectTimeout.setInterval(ms); }

    bool IsOpen() const override { return m_bOpen; }
    bool Write(const QByteArray& data) override;
    QByteArray ReadPending() override;
    void Close() override;
    QString LinkName() const override { return m_address; }

  signals:
    void Connected();

  private:
    void OnConnected();
    void OnError(QAbstractSocket::SocketError error);
    void Fail(const QString& reason);

    QString m_address;
    QTcpSocket m_socket;
    QTimer m_connectTimeout;
    QByteArray m_queued;  // written before the connection was up
    QByteArray m_pending; // received before the connection broke
    bool m_bOpen = true;
};

// The text a user reads for a socket error on the address host:port.
QString SocketErrorText(const QString& address, QAbstractSocket::SocketError error,
                        const QString& detail);
