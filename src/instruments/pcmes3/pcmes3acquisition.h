#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "instruments/pcmes3/ioports.h"

class CZbApp;
class CZbDoc;

// What "Acquisition numérique PC-MES3" does, without its window: the byte
// handshake with the card, the step sequence from -1 to 120 that turns 59
// bar and space durations into a logic-level trace (1.05 on a bar, 0 on a
// space, a row per 10 counts), and which controls the dialog may offer.
//
// The handshake pauses are timer states in the order the card needs them, so
// the window never freezes: a step is begun, then each pause ends in
// OnWaitOver until the step is done. In Run, the 50 ms window timer begins a
// step at each tick where none is running. Tests call OnTick and OnWaitOver
// themselves instead of letting the timers run.
class CPcMes3Acquisition : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 50;         // window timer of a Run acquisition
    static constexpr int kRunDelayMs = 10;     // handshake pause in Run
    static constexpr int kDebugDelayMs = 2000; // handshake pause in Debug
    static constexpr int kZeroPauseMs = 1;     // after clearing bit 0
    static constexpr int kSettlePauseMs = 200; // before the table is reset
    static constexpr int kLastStep = 120;      // steps -1..120: 3 bytes, then 59 words
    static constexpr float kBarLevel = 1.05f;
    static constexpr int kCountsPerRow = 10;

    enum Mode { Run = 0, Debug = 1 };

    // Opening: the ports are taken over, the card set idle, Run selected.
    CPcMes3Acquisition(CZbDoc* doc, CZbApp* app, std::unique_ptr<CIoPorts> ports,
                       QObject* parent = nullptr);
    // Closing: the card is set idle whatever was running.
    ~CPcMes3Acquisition() override;

    // The dialog's controls.
    void SelectRun();
    void SelectDebug();
    void Acquire();
    void AcquireStep();
    // "&Fermer": whatever runs stops and the card is set idle.
    void Close();

    // Timer handlers, public for the tests.
    void OnTick();
    void OnWaitOver();

    // A handshake pause is running; its length.
    bool Waiting() const { return m_phase != Phase::None; }
    int WaitMs() const { return m_nWaitMs; }
    bool Acquiring() const { return m_bAcquiring; }

    QString m_strMessage;
    int m_nMode = Run;
    CZbDoc* m_pDoc;
    CZbApp* m_pApp;
    std::unique_ptr<CIoPorts> m_pPorts;
    std::int16_t m_nStep = -1;
    std::int16_t m_nRow = 0;
    std::int16_t m_nDelay = kRunDelayMs;
    std::uint8_t m_nLow = 0;
    std::uint8_t m_nHigh = 0;
    std::int32_t m_bBar = 1;

    // Which controls may be used now.
    bool m_bAcquireEnabled = true;
    bool m_bStepEnabled = true;
    bool m_bCloseEnabled = true;
    bool m_bModesEnabled = true;

  signals:
    // The message or the controls changed.
    void changed();
    void redrawRequested();
    // A Run acquisition came to the end of its sequence.
    void finished();

  private:
    // Where a step waits.
    enum class Phase { None, AfterZero, Settling, Requested, Taken };

    void BeginStep(bool stepByStep);
    void Wait(int ms, Phase next);
    void FinishStep();
    void EndSequence();
    void StartSequence();
    void TakeByte(std::uint8_t byte);
    void TakeWord();
    void WriteRows(int count, float level);
    void SetMessage(const QString& text);

    Phase m_phase = Phase::None;
    int m_nWaitMs = 0;
    bool m_bInStep = false;
    bool m_bStepByStep = false; // the running step was asked for with "&Acq. pas à pas"
    bool m_bAcquiring = false;  // a Run acquisition is going
    std::uint8_t m_nByte = 0;   // read at the end of a byte request
    QTimer m_tick;
    QTimer m_wait;
};
