#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "instruments/serial/serialtransport.h"
#include "instruments/serial/textmonitor.h"

class CPortNames;

// The owner of a serial port for an instrument that answers in text lines:
// the port, the receive buffer and the text monitor that shows the traffic.
// The port is drained when bytes arrive (no polling); a 1 s clock keeps the
// monitor's elapsed time current and a single shot ends its overflow pause.
// A monitor window, where there is one, only shows Monitor() and follows
// MonitorChanged; it lives exactly as long as the link.
class CTextSerialLink : public QObject {
    Q_OBJECT

  public:
    // Opens the device COM<portIndex + 1> stands for in ports.
    CTextSerialLink(int portIndex, const CPortNames& ports, QObject* parent = nullptr);
    // On a transport already opened (null: the open failed for `failure`).
    CTextSerialLink(int portIndex, std::unique_ptr<CSerialTransport> transport,
                    const QString& failure, QObject* parent = nullptr);
    ~CTextSerialLink() override;

    int PortIndex() const { return m_nPort; }
    bool IsOpen() const { return m_pTransport && m_pTransport->IsOpen(); }
    // Sends the bytes as given (no terminator added); false when the port is
    // not open or refused them.
    bool Send(const QByteArray& data);
    // Takes the first complete line off the front of the buffer, without its
    // line feed and a carriage return just before it; empty when no line
    // feed has arrived (the buffer is then left as it is).
    QString ReadLine();
    void ClearBuffer() { m_strBuffer.clear(); }

    const CTextMonitor& Monitor() const { return m_monitor; }

    // Every received byte, one character each, until taken or cleared.
    QString m_strBuffer;

  signals:
    // The monitor's texts changed.
    void MonitorChanged();
    // The port went away: the link is closed for good.
    void Lost(const QString& reason);

  private:
    void Start(std::unique_ptr<CSerialTransport> transport, const QString& failure);
    void Drain();
    void OnLost(const QString& reason);
    void OnClock();
    void ArmPauseEnd();
    std::int64_t NowMs() const { return m_clockStart.elapsed(); }

    int m_nPort;
    std::unique_ptr<CSerialTransport> m_pTransport;
    CTextMonitor m_monitor;
    QElapsedTimer m_clockStart;
    QTimer m_clock;
    QTimer m_pauseEnd;
};

// Takes the first line off the front of a receive buffer (the rule of ReadLine).
QString TakeLine(QString* buffer);
