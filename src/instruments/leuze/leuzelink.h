#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "instruments/serial/serialtransport.h"

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

// The link to the reader: its port at 9600 8N1 and the buffer of every
// character received, filled as the bytes arrive.
class CLeuzeLink : public QObject {
    Q_OBJECT
  public:
    // A link on an opened device (null when the port could not be opened, with
    // the reason in plain French).
    CLeuzeLink(int portIndex, std::unique_ptr<CSerialTransport> transport,
               const QString& openFailure = QString(), QObject* parent = nullptr);
    ~CLeuzeLink() override;

    // Opens the device COM1 or COM2 stands for.
    static std::unique_ptr<CLeuzeLink> Open(int portIndex, const CPortNames& ports);

    bool IsOpen() const;
    // Writes STX, the command, CR, LF; a command to a closed port is lost (false).
    bool Send(const QString& command);
    QString ReadFrame() { return TakeLeuzeFrame(&m_strBuffer); }
    void ClearBuffer() { m_strBuffer.clear(); }

    int m_nPort;          // 0 = COM1, 1 = COM2
    QString m_strBuffer;  // every character received, CR and LF included
    QString m_strFailure; // why the port is not open; empty while it is
    QString m_strStatus;  // the connection line or the connection error

  signals:
    // The port went away, or could not be opened: m_strStatus says so.
    void lost();

  private:
    void Drain();
    void OnLost(const QString& reason);

    std::unique_ptr<CSerialTransport> m_pTransport;
};

// How the Leuze dialogs get their link on a port: the real devices, or a
// fake transport in the tests.
using LeuzeLinkFactory = std::function<std::unique_ptr<CLeuzeLink>(int portIndex)>;
LeuzeLinkFactory DeviceLinkFactory(const CPortNames& ports);
