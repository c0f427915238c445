#include "instruments/pcmes3/pcmes3acquisition.h"

#include "common/format.h"
#include "doc/zbdoc.h"

namespace {
// Logical output values (the port carries their complement).
constexpr std::uint8_t kIdle = 1;           // the card at rest
constexpr std::uint8_t kReadMode = 0;       // bit 0 cleared: a sequence, between requests
constexpr std::uint8_t kByteRequest = 2;    // bit 1 set: the next byte, please
constexpr std::int16_t kDisplayTrace = 129; // CH1 and the logic level
} // namespace

CPcMes3Acquisition::CPcMes3Acquisition(CZbDoc* doc, CZbApp* app, std::unique_ptr<CIoPorts> ports,
                                       QObject* parent)
    : QObject(parent), m_pDoc(doc), m_pApp(app), m_pPorts(std::move(ports)) {
    m_tick.setInterval(kTickMs);
    m_wait.setSingleShot(true);
    connect(&m_tick, &QTimer::timeout, this, &CPcMes3Acquisition::OnTick);
    connect(&m_wait, &QTimer::timeout, this, &CPcMes3Acquisition::OnWaitOver);
    m_strMessage = QStringLiteral("?");
    m_nStep = -1;
    m_pPorts->WriteOutput(kIdle);
    m_nMode = Run;
    m_nDelay = kRunDelayMs;
    m_strMessage = QStringLiteral("En mode Debug, une tempo de 2s est générée après chaque front.");
}

CPcMes3Acquisition::~CPcMes3Acquisition() {
    Close();
}

void CPcMes3Acquisition::SetMessage(const QString& text) {
    m_strMessage = text;
}

void CPcMes3Acquisition::SelectRun() {
    m_nMode = Run;
    m_nDelay = kRunDelayMs;
    SetMessage(QStringLiteral("Pas de temporisation entre les fronts."));
    m_bAcquireEnabled = true;
    emit changed();
}

void CPcMes3Acquisition::SelectDebug() {
    m_nMode = Debug;
    m_nDelay = kDebugDelayMs;
    SetMessage(QStringLiteral("Temporisation de 2s entre les fronts."));
    m_bAcquireEnabled = false;
    emit changed();
}

void CPcMes3Acquisition::Acquire() {
    if (m_bAcquiring || m_bInStep) return;
    m_nRow = 0;
    m_bCloseEnabled = m_bAcquireEnabled = m_bStepEnabled = m_bModesEnabled = false;
    m_bAcquiring = true;
    m_tick.start();
    emit changed();
}

void CPcMes3Acquisition::AcquireStep() {
    if (m_bAcquiring || m_bInStep) return;
    m_bAcquireEnabled = false;
    // The window no longer freezes during the pauses: nothing else may start
    // until the step is done.
    m_bStepEnabled = m_bCloseEnabled = m_bModesEnabled = false;
    BeginStep(true);
    emit changed();
}

void CPcMes3Acquisition::Close() {
    m_tick.stop();
    m_wait.stop();
    m_phase = Phase::None;
    m_bInStep = m_bAcquiring = false;
    m_pPorts->WriteOutput(kIdle);
}

void CPcMes3Acquisition::OnTick() {
    if (!m_bAcquiring || m_bInStep) return; // the step of an earlier tick is still running
    BeginStep(false);
    emit changed();
}

void CPcMes3Acquisition::BeginStep(bool stepByStep) {
    m_bInStep = true;
    m_bStepByStep = stepByStep;
    if (m_nStep == -1) {
        m_pPorts->WriteOutput(kReadMode);
        SetMessage(QStringLiteral("Mise à zéro du bit 0.\nPassage en mode lecture..."));
        Wait(kZeroPauseMs, Phase::AfterZero);
        return;
    }
    // One byte: request, pause, read, back to read mode, pause.
    m_pPorts->WriteOutput(kByteRequest);
    Wait(m_nDelay, Phase::Requested);
}

void CPcMes3Acquisition::Wait(int ms, Phase next) {
    m_phase = next;
    m_nWaitMs = ms;
    m_wait.start(ms);
}

void CPcMes3Acquisition::OnWaitOver() {
    const Phase phase = m_phase;
    m_phase = Phase::None;
    m_wait.stop();
    switch (phase) {
    case Phase::None:
        return;
    case Phase::AfterZero:
        Wait(kSettlePauseMs, Phase::Settling);
        return;
    case Phase::Settling:
        StartSequence();
        FinishStep();
        return;
    case Phase::Requested:
        m_nByte = m_pPorts->ReadInput();
        m_pPorts->WriteOutput(kReadMode);
        Wait(m_nDelay, Phase::Taken);
        return;
    case Phase::Taken:
        TakeByte(m_nByte);
        FinishStep();
        return;
    }
}

void CPcMes3Acquisition::StartSequence() {
    CZbDoc& doc = *m_pDoc;
    for (int i = 0; i < doc.m_nCapacity; ++i) {
        doc.m_fT[i][0] = static_cast<float>(i);
        doc.m_fT[i][1] = 0;
    }
    doc.m_nPoints = doc.m_nCapacity;
    doc.m_nDisplay = kDisplayTrace;
    m_bBar = 1;
    m_nRow = 0;
}

void CPcMes3Acquisition::TakeByte(std::uint8_t byte) {
    const int step = m_nStep;
    if (step <= 1 || step % 2 == 1) {
        m_nLow = byte;
        if (m_bStepByStep) {
            const char* format = step <= 1 ? "(%d) pf: %d (%X)\nOctet non pris en compte..."
                                           : "(%d) pf: %d (%X)\nPoids faible mémorisé...";
            SetMessage(Sprintf(format, step, int(byte), int(byte)));
        }
        return;
    }
    m_nHigh = byte;
    if (step == 2) {
        if (m_bStepByStep)
            SetMessage(Sprintf("(%d) pF: %d (%X)\nOctet non pris en compte...", step, int(byte),
                               int(byte)));
        WriteRows(2, 0);
        return;
    }
    TakeWord();
}

void CPcMes3Acquisition::TakeWord() {
    const unsigned long n = m_nHigh * 256ul + m_nLow;
    const char* kind =
        m_bBar ? "Barre, écriture mot N à 16 bit..." : "Espace, écriture mot N à 16 bit...";
    if (m_bStepByStep)
        SetMessage(Sprintf("(%d) pF: %d (%X), pf: %d (%X)\nN:%lu (%X)\n", int(m_nStep),
                           int(m_nHigh), int(m_nHigh), int(m_nLow), int(m_nLow), n, n) +
                   QString::fromUtf8(kind));
    else
        SetMessage(Sprintf("(%d)\nN:%lu (%X)\n", int(m_nStep), n, n) + QString::fromUtf8(kind));
    WriteRows(static_cast<int>(n / kCountsPerRow), m_bBar ? kBarLevel : 0.0f);
    if (m_bStepByStep && m_bBar) emit redrawRequested();
    m_bBar = !m_bBar;
}

void CPcMes3Acquisition::WriteRows(int count, float level) {
    CZbDoc& doc = *m_pDoc;
    // Rows past the table are dropped.
    for (int k = 0; k < count && m_nRow < doc.m_nCapacity; ++k) {
        doc.m_fT[m_nRow][0] = static_cast<float>(m_nRow);
        doc.m_fT[m_nRow][1] = level;
        ++m_nRow;
    }
}

void CPcMes3Acquisition::FinishStep() {
    m_bInStep = false;
    ++m_nStep;
    if (!m_bStepByStep) {
        if (m_nStep > kLastStep) EndSequence();
    } else {
        m_bCloseEnabled = m_bModesEnabled = true;
        m_bStepEnabled = m_nStep <= kLastStep;
        // The sequence is complete; the step stays past its end, so the next
        // "&Acquérir" reads once more, ends at once and starts over.
        if (m_nStep > kLastStep) m_pPorts->WriteOutput(kIdle);
    }
    emit changed();
}

void CPcMes3Acquisition::EndSequence() {
    m_tick.stop();
    m_bAcquiring = false;
    m_bStepEnabled = m_bAcquireEnabled = m_bCloseEnabled = m_bModesEnabled = true;
    m_pPorts->WriteOutput(kIdle);
    emit redrawRequested();
    m_nStep = -1;
    emit finished();
}
