#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "common/novalue.h"
#include "instruments/serial/capturemonitor.h"
#include "instruments/serial/serialtransport.h"

class CZbDoc;

// The GW Instek dialogs' hold on the oscilloscope: the open device and its
// capture monitor, which puts every reply into the document's capture file.
// The dialogs send through it and read the reply once the file is closed.
class CGdsLink : public QObject {
    Q_OBJECT
  public:
    using Clock = std::function<std::int64_t()>; // milliseconds of a steady clock
    static constexpr int kMonitorPeriodMs = 10;

    // Opens the device that port index `port` (0 = COM1) stands for.
    CGdsLink(CZbDoc* doc, int port, QObject* parent = nullptr);
    // Opens a given device for that port index (a choice not kept yet).
    CGdsLink(CZbDoc* doc, int port, const QString& devicePath, QObject* parent = nullptr);
    // Over a transport already open, or null with the reason it could not be.
    CGdsLink(CZbDoc* doc, int port, std::unique_ptr<CSerialTransport> transport,
             const QString& failure, QObject* parent = nullptr);
    ~CGdsLink() override;

    bool IsOpen() const;
    bool Send(const QByteArray& data);
    // The last captured reply as text (up to 999 bytes, ending at a zero
    // byte); empty while a reply is still arriving.
    QString ReadCapture();

    // Tests run the monitor on their own clock and tick it themselves.
    void SetClock(Clock clock);
    void TickMonitor();

    CCaptureMonitor& Monitor() { return m_monitor; }
    const CCaptureMonitor& Monitor() const { return m_monitor; }

    CZbDoc* m_pDoc;
    int m_nPort;
    float m_fScale1 = kNoValue;   // volts per division, channel 1
    float m_fScale2 = kNoValue;   // channel 2
    float m_fTimebase = kNoValue; // seconds per division

  signals:
    // The monitor's texts changed.
    void monitorChanged();
    // A reply is complete: the capture file was closed after the silence.
    void replyComplete();
    void Lost(const QString& reason);
    // The link is going away: its monitor window goes with it.
    void closing();

  private:
    void Attach(std::unique_ptr<CSerialTransport> transport, const QString& failure);
    void Drain();
    std::int64_t Now() const;

    std::unique_ptr<CSerialTransport> m_pTransport;
    CCaptureMonitor m_monitor;
    QTimer m_tick;
    Clock m_clock;
};
