#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "instruments/leuze/leuzelink.h"

// "Connexion du lecteur Leuze" without its window: chooses the port and tests
// the link by asking the reader for its version ("V"). The answer is looked at
// 9 ticks of 100 ms after the command. Choosing another port reopens the link
// and restarts the ticks without resetting their count, so a test already
// completed reports on the new port at the next tick.
class CLeuzeConnection : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 100;
    static constexpr int kReplyTicks = 8; // the reply is read once the count exceeds this

    CLeuzeConnection(int portIndex, LeuzeLinkFactory factory, QObject* parent = nullptr);

    void Test();
    void SelectPort(int portIndex);
    // "&Fermer": the link closes; returns the port chosen.
    int Close();
    void OnTick(); // public for the tests

    bool TimerRunning() const { return m_timer.isActive(); }

    std::int16_t m_nPort;
    std::int16_t m_nTicks = 0;
    QString m_strMessage;
    bool m_bTestEnabled = true;
    std::unique_ptr<CLeuzeLink> m_pLink;

  signals:
    void changed();

  private:
    void OpenLink();

    LeuzeLinkFactory m_factory;
    QTimer m_timer;
};
