#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "instruments/tektronix/tekreplies.h"

class CTekLink;
class CZbDoc;

// The steps of "Acquisition spectre Tektronix" without a window: it sends
// through the link, reads its receive buffer, and is stepped by 10 ms ticks
// of the timer RunningTimer() names. A reply is complete when the buffer has
// stopped growing for a phase's idle window. The dialog writes the check
// boxes and the type into the members, calls a step, then shows the members;
// the batch acquisition drives the same steps.
class CTekAcquisition {
  public:
    static constexpr int kMaxSources = 2; // the table has column pairs for two
    enum class State {
        WriteFailed, // the first command could not be written
        Identifying, // timer 1
        Ready,       // identification done (or not answered); acquisition finished
        NextSource,  // timer 0
        Preamble,    // timer 2
        Curve,       // timer 3
        Stopped,     // a reply could not be read, or the port went away: only "&Fermer"
    };
    // Idle windows in ticks: a reply is complete past these many ticks without growth.
    static constexpr int kIdentificationIdle = 20;
    static constexpr int kPreambleIdle = 50;
    static constexpr int kCurveIdle = 20;
    static constexpr int kTickMs = 10;
    // A reply may last this long from its request, however it trickles in:
    // the largest curve the table holds (5000 values of up to 7 characters)
    // takes about 36 s at 9600 baud; a scope that keeps sending is stopped.
    static constexpr int kDefaultReplyLimitTicks = 60 * 1000 / kTickMs;

    CTekAcquisition(CZbDoc* doc, CTekLink* link);

    // The dialog opens: legend, check boxes from the document, first commands.
    void Open();
    // A source check box was clicked (its member already written).
    void SourceClicked();
    // "&Acquérir", with the check boxes and the type already written.
    void Acquire();
    // One tick of the running timer; does nothing when none runs.
    void Tick();
    // The port went away: the acquisition ends, what was converted stays.
    void LinkLost(const QString& reason);
    // The window is closed while the acquisition runs: it ends as when the
    // port goes away, without a word.
    void Abandon();

    State CurrentState() const { return m_state; }
    // The running timer (0 to 3), or -1.
    int RunningTimer() const { return m_nTimer; }
    // The instrument answered the identification.
    bool Identified() const { return m_bIdentified; }
    // The checked sources as channel bits.
    std::int16_t CheckedMask() const;
    bool IsChecked(int sourceIndex) const;
    void SetChecked(int sourceIndex, bool checked);

    // Called where the dialog shows its fields, for a message box ("Logiciel
    // Lineatix") and when the views must redraw from the document.
    std::function<void()> m_onShow;
    std::function<void(const QString&)> m_onMessageBox;
    std::function<void()> m_onRedraw;

    QString m_strMessage;
    std::int32_t m_nType = -1; // -1 none, 0 "TDS &XXX", 1 "TDS &3XX"
    std::int32_t m_bRef1 = 0, m_bRef2 = 0;
    std::int32_t m_bCh1 = 0, m_bCh2 = 0;
    std::int32_t m_bMath = 0;
    std::int32_t m_bExtra = 0; // never shown, never used
    std::int16_t m_nPending = 0;
    std::int16_t m_nIdle = 0;
    std::int16_t m_nLastLength = 0;
    std::int16_t m_nColumn = 0;
    QString m_strPrefix;
    QString m_strSource;
    std::int32_t m_bWriteOk = 0;
    // Sources of the last acquisition whose conversion left no row (no
    // curve came, or it overflowed the table); the window shows no more than
    // the final count, the batch acquisition fails on them.
    std::int16_t m_nEmptySources = 0;
    // Ticks a reply may take from its request; past them the acquisition stops.
    int m_nReplyLimitTicks = kDefaultReplyLimitTicks;
    CZbDoc* m_pDoc;
    CTekLink* m_pLink; // not owned

    // Controls the dialog enables.
    bool m_bAcquireEnabled = false;
    bool m_bCloseEnabled = true;
    bool m_bTypeEnabled = true;
    bool m_bSourceEnabled[kTekSourceCount] = {true, true, true, true, true};

  private:
    std::int32_t* CheckMember(int sourceIndex);
    void ApplyCheckBoxRule();
    void EnableControls(bool enabled);
    void StartPhase(State state, int timer);
    // The buffer grew (the reply goes on) or stayed for more than `limit` ticks.
    bool ReplyComplete(int limit);
    // Counts a tick of the reply awaited; true, with the acquisition stopped,
    // once it has lasted past the limit.
    bool ReplyTooLong();
    void EndKeepingConverted(const QString& message);
    bool ReplyWasCut() const;
    void Show();
    void MessageBox(const QString& text);
    void Stop(const QString& message);

    void IdentificationDone();
    void NextSource();
    void PreambleDone();
    void CurveDone();
    void Finish();

    State m_state = State::Ready;
    int m_nTimer = -1;
    bool m_bIdentified = false;
    int m_nCutsAtRequest = 0;    // the monitor's cut count when the reply was asked for
    std::int16_t m_nCurrent = 0; // bit of the source being acquired
    int m_nReplyTicks = 0;       // ticks since the awaited reply was asked for
};
