#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "instruments/tektronix/teklink.h"

class CZbDoc;

// The steps of "Définition port série Tektronix" without a window: the
// oscilloscope's port, a link on it, and the identification test stepped by
// the dialog's 10 ms timer (timer 1). The devices COM1 and COM2 stand for are
// the program's (the document's application), changed here for good.
class CTekPortSession {
  public:
    static constexpr int kTestTicks = 20; // the reply is read at the 21st tick
    static constexpr int kTickMs = 10;

    explicit CTekPortSession(CZbDoc* doc);

    // The dialog opens: the document's port and a link on it.
    void Open();
    // "&Tester" with m_nPort already read from the radios.
    void Test();
    // One tick of timer 1; does nothing when it is not running.
    void Tick();
    // "COM&1" / "COM&2" clicked (m_nPort already read): a new link; a
    // running test is abandoned.
    void PortClicked();
    // The user chose another device for a port name: kept in the profile; the
    // link is opened anew when it is the selected port (then true).
    bool SetDevice(int portIndex, const QString& path);
    // "&OK": the selected port goes to the document. "&Quitter": nothing changes.
    void Ok();
    void Quit();

    QString DevicePath(int portIndex) const;
    bool TimerRunning() const { return m_bTimer; }
    CTekLink* Link() const { return m_pLink.get(); }

    QString m_strMessage;
    std::int32_t m_nPort = -1; // 0 COM1, 1 COM2
    std::int16_t m_nTicks = 0;
    CZbDoc* m_pDoc;
    std::unique_ptr<CTekLink> m_pLink;

    bool m_bTestEnabled = true;
    bool m_bOkEnabled = true;

  private:
    void NewLink();

    bool m_bTimer = false;
};
