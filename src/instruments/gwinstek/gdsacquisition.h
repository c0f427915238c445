#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class CGdsLink;
class CZbDoc;

// The steps of "Acquisition spectre GDS-820C" without a window: the settings
// query at opening, then one waveform request per chosen source, each reply
// taken once the capture monitor has closed the capture file and a number of
// 10 ms ticks have passed. Whoever drives it calls Tick() every 10 ms while a
// timer is active (ActiveTimer() is not kNoTimer; timer 0 at once), and shows
// the texts and the boxes' states it keeps.
class CGdsAcquisition {
  public:
    enum Timer { kNoTimer = -1, kTimerNextSource = 0, kTimerWaveform = 2, kTimerSettings = 10 };
    enum class State {
        WriteFailed,
        ReadingSettings,
        SettingsFailed,
        Ready,
        NextSource,
        Waveform,
        Lost,   // the port went away
        Stopped // a reply lasted too long, or the window was closed while acquiring
    };
    static constexpr int kSettingsTicks = 10; // ticks with the capture file closed, then more
    static constexpr int kWaveformTicks = 50;
    static constexpr int kTickMs = 10;
    // A reply may last this long from its request: the largest block the
    // table holds (10 kB) takes about 11 s at 9600 baud, then a second of
    // silence; a scope that keeps sending never lets the capture close.
    static constexpr int kDefaultReplyLimitTicks = 60 * 1000 / kTickMs;

    CGdsAcquisition(CZbDoc* doc, CGdsLink* link);

    // The dialog opens: legend, boxes preset from the channel mask, the settings query.
    void Open();
    // A click on the source box of `bit` (1 "Voie &1", 2 "Voie &2", 4 "&Mem1", 8 "M&em2").
    void SetSource(std::int16_t bit, bool checked);
    // "&Acquérir".
    void Acquire();
    // One tick of the active timer.
    void Tick();
    // The device went away.
    void PortLost(const QString& reason);
    // The window is closed while the acquisition runs: it ends as when the
    // port goes away, without a word.
    void Abandon();

    Timer ActiveTimer() const { return m_nTimer; }
    State CurrentState() const { return m_state; }
    bool Checked(std::int16_t bit) const;
    bool Enabled(std::int16_t bit) const;

    // Message boxes ("Fichier non compatible !") and redraw requests.
    std::function<void(const QString&)> m_onMessageBox;
    std::function<void()> m_onRedraw;

    QString m_strMessage;
    std::int32_t m_bMem1 = 0, m_bMem2 = 0; // never shown; preset from the mask
    std::int32_t m_bCh1 = 0, m_bCh2 = 0;
    std::int16_t m_nPending = 0; // sources still to acquire
    std::int16_t m_nIdle = 0;    // ticks with the capture file closed
    std::int16_t m_nColumn = 0;  // first column of the next source
    QString m_strSource;
    std::int32_t m_bWriteOk = 0;
    // Ticks a reply may take from its request; past them the acquisition stops.
    int m_nReplyLimitTicks = kDefaultReplyLimitTicks;
    CZbDoc* m_pDoc;
    CGdsLink* m_pLink;

    // Enabled states of the boxes and buttons.
    bool m_bCh1Enabled = true, m_bCh2Enabled = true, m_bMem1Enabled = true, m_bMem2Enabled = true;
    bool m_bAcquireEnabled = true, m_bCloseEnabled = true;
    std::int16_t m_nFailed = 0; // sources of the last acquisition that got no samples
    // Of those, the ones whose block held no sample: no message box tells
    // them (the window keeps its texts), the batch acquisition does.
    std::int16_t m_nEmptySources = 0;

  private:
    std::int32_t* Box(std::int16_t bit);
    bool* BoxEnabled(std::int16_t bit);
    void ApplyBoxRule();
    void DisableSources();
    bool WaitDone(int limit);
    void HandleSettings();
    void StartNextSource();
    void HandleWaveform();
    void Finish();
    void DropSource(const QString& why);
    bool ReplyTooLong();
    void EndKeepingConverted(State state, const QString& message);
    void MessageBox(const QString& text);
    void Redraw();

    Timer m_nTimer = kNoTimer;
    State m_state = State::WriteFailed;
    std::int16_t m_nCurrent = 0; // bit of the source being acquired
    int m_nReplyTicks = 0;       // ticks since the awaited reply was asked for
    QString m_strUnreadable[3];  // fields that could not be read: time base, scale 1, scale 2
};
