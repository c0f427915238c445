#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "instruments/serial/serialtransport.h"
#include "instruments/serial/textlink.h"

class CPortNames;

// Wire format of the Leuze BCL32 reader: a command goes as STX, its text, CR,
// LF; the reader answers in frames of the same shape.
constexpr char kStx = 2;

// The bytes of one command ("%c%s\r\n" with STX and the command).
QByteArray LeuzeCommand(const QString& command);

// Takes the first frame off the front of a receive buffer (one character a
// byte, CR and LF included):
// 1. no STX, or 3 characters or fewer: "" and the buffer unchanged;
// 2. no LF after the STX: "" and the buffer unchanged (the frame is incomplete);
// 3. otherwise the characters after the STX up to, not including, the one
//    before the LF (the CR), and the buffer keeps what follows the LF.
QString TakeLeuzeFrame(QString* buffer);

// The link to the reader: its port at 9600 8N1, the buffer of every
// character received and the text monitor that shows the traffic (the port
// owner of a text-answering instrument).
class CLeuzeLink : public QObject {
    Q_OBJECT
  public:
    // Opens the device COM1 or COM2 stands for.
    CLeuzeLink(int portIndex, const CPortNames& ports, QObject* parent = nullptr);
    // A link on an opened device (null when the port could not be opened, with
    // the reason in plain French).
    CLeuzeLink(int portIndex, std::unique_ptr<CSerialTransport> transport,
               const QString& openFailure = QString(), QObject* parent = nullptr);

    int PortIndex() const { return m_serial.PortIndex(); }
    bool IsOpen() const { return m_serial.IsOpen(); }
    // Writes STX, the command, CR, LF; a command to a closed port is lost (false).
    bool Send(const QString& command);
    QString ReadFrame() { return TakeLeuzeFrame(&m_serial.m_strBuffer); }
    void ClearBuffer() { m_serial.ClearBuffer(); }
    // Every character received, CR and LF included, until taken or cleared.
    QString& Buffer() { return m_serial.m_strBuffer; }

    // What a monitor shows: received text and the connection line or error.
    const CTextMonitor& Monitor() const { return m_serial.Monitor(); }
    QString Status() const { return Monitor().m_strStatus; }
    // For a monitor window of its own, which lives as long as the link.
    const CTextSerialLink& Serial() const { return m_serial; }

  signals:
    void monitorChanged();
    // The port went away: Status() says so.
    void lost();

  private:
    void Connect();

    CTextSerialLink m_serial;
};

// How the Leuze dialogs get their link on a port: the real devices, or a
// fake transport in the tests.
using LeuzeLinkFactory = std::function<std::unique_ptr<CLeuzeLink>(int portIndex)>;
LeuzeLinkFactory DeviceLinkFactory(const CPortNames& ports);
