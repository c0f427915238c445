#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// What the text monitor window "Connexion au port série" shows for an
// instrument that answers in text lines, kept apart from any window and any
// port: it is fed the received bytes and a clock in milliseconds.
//
// Every byte goes unchanged to the owner's receive buffer (one character per
// byte) and to the display text, where a carriage return or a line feed shows
// as two spaces. A runaway instrument cannot make the buffer grow without end:
// past 14000 characters it is cut to its last 20 and the monitor pauses for
// 200 ms ("Initialisation buffer ..."); bytes arriving meanwhile wait and are
// taken when the pause ends. The pause is a state ended by Tick, never a sleep.
class CTextMonitor {
  public:
    static constexpr int kDisplayKeep = 140;     // display characters kept behind "... "
    static constexpr int kBufferLimit = 14000;   // receive buffer cut past this length
    static constexpr int kBufferKeep = 20;       // characters kept by the cut
    static constexpr int kOverflowPauseMs = 200; // pause after a cut

    // buffer: the owner's receive buffer, not owned; it must outlive the monitor.
    CTextMonitor(int portIndex, QString* buffer);

    // The port opened at nowMs: the elapsed time counts from there.
    void Connected(std::int64_t nowMs);
    // The link's name when it is no serial line (see ConnectedLine).
    void SetLinkName(const QString& name) { m_strLinkName = name; }
    // The port could not be opened, or went away: "Erreur de connexion au port
    // COM%d !" and the reason on a second line. Nothing is received after it.
    void Failed(const QString& reason);

    // Bytes read from the port at nowMs.
    void Receive(const QByteArray& bytes, std::int64_t nowMs);
    // The clock: refreshes the elapsed time and ends a pause that is over.
    void Tick(std::int64_t nowMs);

    bool IsConnected() const { return m_bConnected; }
    bool IsPausing() const { return m_bPausing; }
    // When the running pause ends (meaningful while IsPausing()).
    std::int64_t PauseEndMs() const { return m_nPauseEndMs; }
    // How many times the buffer was cut since the monitor started: an owner
    // compares it before and after a reply to know the reply is incomplete.
    int CutCount() const { return m_nCuts; }

    QString m_strStatus;   // status line under the received text
    QString m_strReceived; // display text (label "Caractères reçus")

  private:
    void Append(const QByteArray& bytes);
    void ShowConnected(std::int64_t nowMs);

    int m_nPort;
    QString* m_pBuffer;
    std::int64_t m_nStartMs = 0;
    bool m_bConnected = false;
    bool m_bPausing = false;
    std::int64_t m_nPauseEndMs = 0;
    QByteArray m_held; // received during a pause
    QString m_strLinkName;
    int m_nCuts = 0;
};
