#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "instruments/scpi/scpireplies.h"

// The "&Tester" exchange of "Connexion oscilloscope USB/Ethernet": "*IDN?",
// the reply complete at its line feed, or none within the time-out. The
// message names the maker's dialect. The dialog feeds it bytes and ticks.
class CScpiIdentify {
  public:
    static constexpr int kTickMs = 10;
    static constexpr int kTimeoutTicks = 300; // 3 s

    explicit CScpiIdentify(int port) : m_nPort(port) {}

    // Sends the query; the dialog then ticks while Waiting().
    void Test(const std::function<bool(const QByteArray&)>& send);
    void Receive(const QByteArray& bytes);
    void Tick();
    // A new port: an exchange under way is dropped.
    void Cancel() { m_bWaiting = false; }
    bool Waiting() const { return m_bWaiting; }

    QString m_strMessage =
        QStringLiteral("Cliquer sur Tester pour valider la communication avec l'oscilloscope...");
    bool m_bOkEnabled = true;
    bool m_bTestEnabled = true;
    int m_nPort;
    int m_nTicks = 0;

  private:
    void Done(const QString& message, bool answered);

    bool m_bWaiting = false;
    QByteArray m_buffer;
};
