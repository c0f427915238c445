#include "instruments/tektronix/tekacquisition.h"

#include "common/format.h"
#include "doc/zbdoc.h"
#include "instruments/tektronix/teklink.h"

namespace {

constexpr int kNoTimer = -1;

} // namespace

CTekAcquisition::CTekAcquisition(CZbDoc* doc, CTekLink* link) : m_pDoc(doc), m_pLink(link) {}

std::int32_t* CTekAcquisition::CheckMember(int sourceIndex) {
    std::int32_t* members[kTekSourceCount] = {&m_bCh1, &m_bCh2, &m_bRef1, &m_bRef2, &m_bMath};
    return sourceIndex >= 0 && sourceIndex < kTekSourceCount ? members[sourceIndex] : nullptr;
}

bool CTekAcquisition::IsChecked(int sourceIndex) const {
    const std::int32_t* member = const_cast<CTekAcquisition*>(this)->CheckMember(sourceIndex);
    return member && *member;
}

void CTekAcquisition::SetChecked(int sourceIndex, bool checked) {
    if (std::int32_t* member = CheckMember(sourceIndex)) *member = checked ? 1 : 0;
}

std::int16_t CTekAcquisition::CheckedMask() const {
    std::int16_t mask = 0;
    for (int i = 0; i < kTekSourceCount; ++i)
        if (IsChecked(i)) mask = std::int16_t(mask | kTekSources[i].bit);
    return mask;
}

void CTekAcquisition::Open() {
    m_pDoc->m_astrLegend = QStringList{QStringLiteral("ACQ. OSCILLOSCOPE TEKTRONIX"),
                                       QStringLiteral("Nom(s)/Prénom(s):")};
    // A file may hold any mask, but the table has columns for two sources
    // only: the lowest are preset, so a third never writes past them.
    int preset = 0;
    for (int i = 0; i < kTekSourceCount; ++i) {
        const bool checked = (m_pDoc->m_nChannels & kTekSources[i].bit) && preset < kMaxSources;
        SetChecked(i, checked);
        if (checked) ++preset;
    }
    m_strMessage =
        QStringLiteral("Sélectionner les voies d'acquisition, puis cliquer sur Acquérir.");
    ApplyCheckBoxRule();
    m_bWriteOk = m_pLink->Send("DATA:ENCDG ASCII\n");
    if (m_bWriteOk) {
        m_bAcquireEnabled = false;
        m_pLink->Send("RS232:PRESET\n");
        m_pLink->Send("ID?\n");
        StartPhase(State::Identifying, 1);
    } else {
        m_strMessage =
            Sprintf("Erreur d'écriture sur le port série n°%d !", m_pLink->PortIndex() + 1);
        m_bAcquireEnabled = false;
        m_state = State::WriteFailed;
    }
    Show();
}

void CTekAcquisition::ApplyCheckBoxRule() {
    int checked = 0;
    for (int i = 0; i < kTekSourceCount; ++i)
        checked += IsChecked(i) ? 1 : 0;
    for (int i = 0; i < kTekSourceCount; ++i)
        m_bSourceEnabled[i] = checked < kMaxSources || IsChecked(i);
    // Not while the identification runs: its timer would run beside the acquisition's.
    m_bAcquireEnabled = checked > 0 && m_bWriteOk && m_state != State::Identifying;
}

void CTekAcquisition::SourceClicked() {
    // Only where the boxes can be clicked: a running acquisition keeps them disabled.
    if (m_state != State::Ready && m_state != State::WriteFailed && m_state != State::Identifying)
        return;
    ApplyCheckBoxRule();
    Show();
}

void CTekAcquisition::EnableControls(bool enabled) {
    m_bCloseEnabled = enabled;
    m_bAcquireEnabled = enabled;
    m_bTypeEnabled = enabled;
    for (bool& source : m_bSourceEnabled)
        source = enabled;
}

void CTekAcquisition::Acquire() {
    if (m_state != State::Ready || !m_bAcquireEnabled) return;
    EnableControls(false);
    const std::int16_t mask = CheckedMask();
    m_pDoc->m_nChannels = mask;
    m_pDoc->m_nDisplay = mask;
    m_nPending = mask;
    m_nColumn = 0;
    m_nEmptySources = 0;
    m_pLink->Send("DATa:STARt 1\n");
    m_pLink->Send("DATa:STOP 2500\n");
    StartPhase(State::NextSource, 0);
}

void CTekAcquisition::StartPhase(State state, int timer) {
    // Every wait starts with an empty idle count.
    m_nIdle = 0;
    m_nReplyTicks = 0;
    m_nLastLength = 0;
    m_state = state;
    m_nTimer = timer;
}

bool CTekAcquisition::ReplyComplete(int limit) {
    const int length = int(m_pLink->m_strBuffer.size());
    if (m_nLastLength < length) {
        m_nIdle = 0;
        m_nLastLength = std::int16_t(length);
        return false;
    }
    ++m_nIdle;
    return m_nIdle > limit;
}

bool CTekAcquisition::ReplyWasCut() const {
    return m_pLink->Monitor().CutCount() != m_nCutsAtRequest;
}

bool CTekAcquisition::ReplyTooLong() {
    if (++m_nReplyTicks <= m_nReplyLimitTicks) return false;
    EndKeepingConverted(Sprintf("L'oscilloscope répond depuis plus de %g s : acquisition arrêtée.",
                                m_nReplyLimitTicks * kTickMs / 1000.0));
    return true;
}

void CTekAcquisition::Tick() {
    if (m_nTimer >= 1 && ReplyTooLong()) return;
    switch (m_nTimer) {
    case 0:
        NextSource();
        break;
    case 1:
        if (ReplyComplete(kIdentificationIdle)) {
            m_nTimer = kNoTimer;
            IdentificationDone();
        } else {
            Show(); // this phase shows the fields on every tick
        }
        break;
    case 2:
        if (ReplyComplete(kPreambleIdle)) {
            m_nTimer = kNoTimer;
            PreambleDone();
        }
        break;
    case 3:
        if (ReplyComplete(kCurveIdle)) {
            m_nTimer = kNoTimer;
            CurveDone();
        }
        break;
    default:
        break;
    }
}

void CTekAcquisition::IdentificationDone() {
    const QString line = m_pLink->ReadLine();
    m_state = State::Ready;
    if (!line.isEmpty()) {
        m_bIdentified = true;
        m_nType = line.contains(QLatin1String("TDS 3")) ? 1 : 0;
        m_pLink->ClearBuffer();
        m_nLastLength = 0;
        m_bAcquireEnabled = true;
    } else {
        m_nType = -1;
        m_strMessage = QStringLiteral("Erreur de communication avec oscilloscope Tektronix !");
        m_bAcquireEnabled = false;
    }
    Show();
}

void CTekAcquisition::NextSource() {
    m_nTimer = kNoTimer;
    if (m_nPending == 0) {
        Finish();
        return;
    }
    const TekSource* source = nullptr;
    for (const TekSource& candidate : kTekSources)
        if (m_nPending & candidate.bit) {
            source = &candidate;
            break;
        }
    m_nPending = std::int16_t(m_nPending & ~source->bit);
    m_nCurrent = source->bit;
    m_strSource = QLatin1String(source->name);
    m_pLink->Send(source->select);
    m_pLink->Send(source->source);
    m_strPrefix = m_nType != 0 ? QLatin1String(source->prefix) : QString();
    m_pLink->Send(PreambleQueries(m_strPrefix));
    m_pLink->ClearBuffer(); // anything received before these queries is dropped
    m_nCutsAtRequest = m_pLink->Monitor().CutCount();
    StartPhase(State::Preamble, 2);
}

void CTekAcquisition::PreambleDone() {
    QString lines[6];
    for (QString& line : lines)
        line = m_pLink->ReadLine();
    CTekPreamble preamble;
    if (ReplyWasCut() || !ReadPreamble(lines, &preamble)) {
        Stop(QStringLiteral("Erreur de lecture paramètres !"));
        return;
    }
    static_cast<CTekPreamble&>(*m_pLink) = preamble;
    m_strMessage = Sprintf("Acquisition en cours: %s\nNR_Pt: %d, PT_Off: %d, XINCr: %1.1e, "
                           "YMUlt: %1.1e, YZEro: %1.1e, YOFf: %1.1e",
                           m_strSource, preamble.m_nNrPt, preamble.m_nPtOff, preamble.m_fXIncr,
                           preamble.m_fYMult, preamble.m_fYZero, preamble.m_fYOff);
    Show();
    m_pLink->ClearBuffer();
    m_nCutsAtRequest = m_pLink->Monitor().CutCount();
    m_pLink->Send("CURVe?\n");
    StartPhase(State::Curve, 3);
}

void CTekAcquisition::CurveDone() {
    // The monitor keeps only the end of a reply past 14000 characters: what
    // is left is no curve, and converting it would pass a fragment for a scan.
    if (ReplyWasCut()) {
        Stop(Sprintf("Réponse tronquée (plus de %d caractères) :\ncourbe %s non convertie.",
                     CTextMonitor::kBufferLimit, m_strSource));
        return;
    }
    if (!ConvertCurve(m_pLink->m_strBuffer, *m_pLink, *m_pDoc, m_nColumn))
        MessageBox(QStringLiteral("Dépassement taille tableau m_fT"));
    if (m_state == State::Stopped) return; // the port went away while the box was open
    if (m_pDoc->m_nPoints == 0) m_nEmptySources = std::int16_t(m_nEmptySources | m_nCurrent);
    m_nColumn = std::int16_t(m_nColumn + 2);
    StartPhase(State::NextSource, 0);
}

void CTekAcquisition::Finish() {
    m_strMessage = Sprintf("Fin d'acquisition.\n%d valeurs écrites dans le tableau.\n(%d)",
                           m_pDoc->m_nPoints + 1, int(m_pLink->m_strBuffer.size()));
    m_state = State::Ready;
    EnableControls(true);
    ApplyCheckBoxRule();
    Show();
    m_pDoc->m_pRegressions->Reset();
    if (m_onRedraw) m_onRedraw();
}

void CTekAcquisition::Stop(const QString& message) {
    m_nTimer = kNoTimer;
    m_state = State::Stopped;
    m_strMessage = message;
    EnableControls(false);
    m_bCloseEnabled = true;
    Show();
}

void CTekAcquisition::LinkLost(const QString& reason) {
    if (m_state == State::Stopped) return;
    EndKeepingConverted(QStringLiteral("Liaison série interrompue !\n") + reason);
}

void CTekAcquisition::Abandon() {
    if (m_state == State::Stopped || m_nTimer < 0) return;
    EndKeepingConverted(m_strMessage);
}

void CTekAcquisition::EndKeepingConverted(const QString& message) {
    const bool converted = m_nColumn > 0;
    Stop(message);
    // A source converted before the loss stays, and is shown.
    if (converted) {
        m_pDoc->m_pRegressions->Reset();
        if (m_onRedraw) m_onRedraw();
    }
}

void CTekAcquisition::Show() {
    if (m_onShow) m_onShow();
}

void CTekAcquisition::MessageBox(const QString& text) {
    if (m_onMessageBox) m_onMessageBox(text);
}
