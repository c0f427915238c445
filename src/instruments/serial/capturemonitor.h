#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

class CZbDoc;

// What the capture monitor "Connexion au port série" does with the bytes of
// a binary instrument: every reply goes raw into the document's capture file,
// which is created anew at the reply's first byte and closed once the line
// has been silent for more than a second (whole-second time stamps: the first
// tick that sees two seconds since the last byte). The bytes are shown in
// hexadecimal. Fed with bytes and a clock; the window only shows its texts.
class CCaptureMonitor {
  public:
    static constexpr int kDisplayKeep = 172; // hexadecimal characters kept on display

    CCaptureMonitor(CZbDoc* doc, int portIndex);
    ~CCaptureMonitor();
    CCaptureMonitor(const CCaptureMonitor&) = delete;
    CCaptureMonitor& operator=(const CCaptureMonitor&) = delete;

    // The port opened at nowMs (milliseconds of any steady clock).
    void Opened(std::int64_t nowMs);
    // The link's name when it is no serial line (see ConnectedLine).
    void SetLinkName(const QString& name) { m_strLinkName = name; }
    // The port could not be opened: the status shows why.
    void OpenFailed(const QString& reason);
    // The device went away.
    void PortLost(const QString& reason);

    // Bytes that arrived at nowMs.
    void Receive(const QByteArray& bytes, std::int64_t nowMs);
    // The periodic tick: status line and the silence rule. True when it closed
    // the capture file (a reply is complete).
    bool Tick(std::int64_t nowMs);
    // Closes a capture file still open.
    void Close();

    // Empty when the last capture file could be created, otherwise why not.
    QString FileError() const { return m_bFileOk ? QString() : m_strFileError; }

    QString m_strReceived; // "Octets (codes ASCII) reçus": "%02X " per byte, folded
    QString m_strStatus;
    CZbDoc* m_pDoc;
    bool m_bFileOk = true;
    bool m_bPortOk = false;
    std::int64_t m_timeStart = 0;    // whole seconds
    std::int64_t m_timeNow = 0;      // whole seconds
    std::int64_t m_timeLastByte = 0; // whole seconds
    std::int64_t m_nLastByteMs = 0;  // the same, to the millisecond
    int m_nPort;

  private:
    void StartFile();
    void UpdateStatus();

    QFile m_file;
    QString m_strFileError;
    QString m_strPortError;
    QString m_strLinkName;
};
