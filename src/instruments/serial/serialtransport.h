#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The narrow link every instrument protocol goes through, whatever carries
// it: a serial device opened exclusively at 9600 baud, 8 data bits, no
// parity, 1 stop bit (serialdevice.h), a raw SCPI socket (sockettransport.h)
// or a usbtmc USB device (usbtmctransport.h); OpenTransport picks one from
// the way the port is written. Writes never wait for the far end; reads hand
// out what has arrived, possibly nothing. BytesArrived says when there is
// something to read, so nobody polls.
class CSerialTransport : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;
    ~CSerialTransport() override = default;

    virtual bool IsOpen() const = 0;
    // Queues every byte for sending; false when the device is closed or refused them.
    virtual bool Write(const QByteArray& data) = 0;
    // The bytes received and not read yet; empty when none.
    virtual QByteArray ReadPending() = 0;
    virtual void Close() = 0;
    // What the monitors name after the port: empty for a serial line (its
    // settings are shown), the address or device for the others.
    virtual QString LinkName() const { return QString(); }

  signals:
    void BytesArrived();
    // The device went away while open (an adapter pulled out, the far end closed).
    void Lost(const QString& reason);
};
