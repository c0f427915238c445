#include "instruments/gwinstek/gdsacquisition.h"

#include <QFile>

#include "common/format.h"
#include "common/novalue.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/gdslink.h"
#include "instruments/gwinstek/gdsprotocol.h"

namespace {

constexpr int kMaxSources = 2; // two column pairs of the sample table

const char* const kCommunicationError = "Erreur de communication avec oscilloscope GW Instek !";

} // namespace

CGdsAcquisition::CGdsAcquisition(CZbDoc* doc, CGdsLink* link) : m_pDoc(doc), m_pLink(link) {}

std::int32_t* CGdsAcquisition::Box(std::int16_t bit) {
    switch (bit) {
    case 1:
        return &m_bCh1;
    case 2:
        return &m_bCh2;
    case 4:
        return &m_bMem1;
    case 8:
        return &m_bMem2;
    default:
        return nullptr;
    }
}

bool* CGdsAcquisition::BoxEnabled(std::int16_t bit) {
    switch (bit) {
    case 1:
        return &m_bCh1Enabled;
    case 2:
        return &m_bCh2Enabled;
    case 4:
        return &m_bMem1Enabled;
    case 8:
        return &m_bMem2Enabled;
    default:
        return nullptr;
    }
}

bool CGdsAcquisition::Checked(std::int16_t bit) const {
    std::int32_t* box = const_cast<CGdsAcquisition*>(this)->Box(bit);
    return box && *box;
}

bool CGdsAcquisition::Enabled(std::int16_t bit) const {
    bool* enabled = const_cast<CGdsAcquisition*>(this)->BoxEnabled(bit);
    return enabled && *enabled;
}

void CGdsAcquisition::MessageBox(const QString& text) {
    if (m_onMessageBox) m_onMessageBox(text);
}

void CGdsAcquisition::Redraw() {
    if (m_onRedraw) m_onRedraw();
}

void CGdsAcquisition::Open() {
    m_pDoc->m_astrLegend = {QStringLiteral("ACQ. OSCILLOSCOPE GW INSTEK"),
                            QStringLiteral("Nom(s)/Prénom(s):")};
    // At most two boxes from the mask: a third source would have no columns.
    int preset = 0;
    for (const GdsSource& source : kGdsSources)
        if ((m_pDoc->m_nChannels & source.bit) && preset < kMaxSources) {
            *Box(source.bit) = 1;
            ++preset;
        }
    m_strMessage =
        QStringLiteral("Sélectionner les voies d'acquisition, puis cliquer sur Acquérir.");
    ApplyBoxRule();
    m_bWriteOk = m_pLink->Send(kGdsSettingsQuery) ? 1 : 0;
    if (m_bWriteOk) {
        m_pDoc->m_nCaptureCount = 0; // counts the reply to come: still 0 means none came
        m_nIdle = 0;
        m_nReplyTicks = 0;
        m_nTimer = kTimerSettings;
        m_state = State::ReadingSettings;
    } else {
        m_strMessage = Sprintf("Erreur d'écriture sur le port série n°%d !", m_pLink->m_nPort + 1);
        DisableSources();
        m_state = State::WriteFailed;
    }
    m_bAcquireEnabled = false; // the settings reply enables it
}

void CGdsAcquisition::ApplyBoxRule() {
    if (m_bCh1) m_bCh1Enabled = true;
    if (m_bCh2) m_bCh2Enabled = true;
    m_bMem1Enabled = m_bMem2Enabled = true;
    int checked = 0;
    for (const GdsSource& source : kGdsSources)
        if (*Box(source.bit)) ++checked;
    if (checked >= 2)
        for (const GdsSource& source : kGdsSources)
            if (!*Box(source.bit)) *BoxEnabled(source.bit) = false;
    // "&Acquérir" waits for the settings: they scale every source.
    if (checked == 0)
        m_bAcquireEnabled = false;
    else if (m_bWriteOk && m_state == State::Ready)
        m_bAcquireEnabled = true;
}

void CGdsAcquisition::DisableSources() {
    m_bAcquireEnabled = false;
    m_bCh1Enabled = m_bCh2Enabled = m_bMem1Enabled = m_bMem2Enabled = false;
}

void CGdsAcquisition::SetSource(std::int16_t bit, bool checked) {
    std::int32_t* box = Box(bit);
    if (!box || !*BoxEnabled(bit)) return; // a disabled box takes no click
    *box = checked ? 1 : 0;
    ApplyBoxRule();
}

bool CGdsAcquisition::WaitDone(int limit) {
    if (m_pDoc->m_bCaptureOpen) {
        m_nIdle = 0;
        return false;
    }
    if (++m_nIdle <= limit) return false;
    m_nTimer = kNoTimer;
    return true;
}

bool CGdsAcquisition::ReplyTooLong() {
    if (++m_nReplyTicks <= m_nReplyLimitTicks) return false;
    const QString message =
        Sprintf("L'oscilloscope répond depuis plus de %g s : acquisition arrêtée.",
                m_nReplyLimitTicks * kTickMs / 1000.0);
    if (m_state == State::ReadingSettings) {
        m_nTimer = kNoTimer;
        m_strMessage = message;
        DisableSources();
        m_state = State::SettingsFailed;
    } else {
        EndKeepingConverted(State::Stopped, message);
    }
    return true;
}

void CGdsAcquisition::Tick() {
    if ((m_nTimer == kTimerSettings || m_nTimer == kTimerWaveform) && ReplyTooLong()) return;
    switch (m_nTimer) {
    case kTimerSettings:
        if (WaitDone(kSettingsTicks)) HandleSettings();
        break;
    case kTimerNextSource:
        StartNextSource();
        break;
    case kTimerWaveform:
        if (WaitDone(kWaveformTicks)) HandleWaveform();
        break;
    case kNoTimer:
        break;
    }
}

void CGdsAcquisition::HandleSettings() {
    const QString fileError = m_pLink->Monitor().FileError();
    // A file left by an earlier reply is no answer to this query.
    const bool answered = fileError.isEmpty() && m_pDoc->m_nCaptureCount > 0;
    const QString reply = answered ? m_pLink->ReadCapture() : QString();
    if (reply.isEmpty()) {
        m_strMessage = QString::fromUtf8(kCommunicationError);
        if (!fileError.isEmpty()) m_strMessage += QLatin1Char('\n') + fileError;
        DisableSources();
        m_state = State::SettingsFailed;
        return;
    }
    const GdsSettings settings = ParseGdsSettings(reply);
    m_pLink->m_fTimebase = settings.timebase;
    m_pLink->m_fScale1 = settings.scale1;
    m_pLink->m_fScale2 = settings.scale2;
    if (settings.ch1Off) {
        m_bCh1 = 0;
        m_bCh1Enabled = false;
    }
    if (settings.ch2Off) {
        m_bCh2 = 0;
        m_bCh2Enabled = false;
    }
    m_state = State::Ready;
    ApplyBoxRule();
    m_strMessage =
        Sprintf("Base de temps (s): %1.1e\nCalibre voie 1 (V): %1.1e\nCalibre voie 2 (V): "
                "%1.1e",
                settings.timebase, settings.scale1, settings.scale2);
    // A setting that could not be read is named; no source is converted with it.
    const char* const names[] = {"Base de temps", "Calibre voie 1", "Calibre voie 2"};
    const float values[] = {settings.timebase, settings.scale1, settings.scale2};
    for (int k = 0; k < 3; ++k)
        if (IsNoValue(values[k]))
            m_strMessage += Sprintf("\n%s illisible : \"%s\"", names[k], settings.fields[k]);
}

void CGdsAcquisition::Acquire() {
    if (m_state != State::Ready || !m_bAcquireEnabled) return;
    m_bCloseEnabled = false;
    DisableSources();
    std::int16_t mask = 0;
    for (const GdsSource& source : kGdsSources)
        if (*Box(source.bit)) mask = static_cast<std::int16_t>(mask | source.bit);
    m_pDoc->m_nChannels = mask;
    m_pDoc->m_nDisplay = mask;
    m_nPending = mask;
    m_nColumn = 0;
    m_nIdle = 0;
    m_nFailed = 0;
    m_nEmptySources = 0;
    m_nTimer = kTimerNextSource;
    m_state = State::NextSource;
}

void CGdsAcquisition::StartNextSource() {
    m_nTimer = kNoTimer;
    if (m_nPending == 0) {
        Finish();
        return;
    }
    const GdsSource* source = nullptr;
    for (const GdsSource& candidate : kGdsSources)
        if (m_nPending & candidate.bit) {
            source = &candidate;
            break;
        }
    if (!source) { // bits that name no source
        m_nPending = 0;
        Finish();
        return;
    }
    m_nPending = static_cast<std::int16_t>(m_nPending & ~source->bit);
    m_nCurrent = source->bit;
    m_strSource = QString::fromLatin1(source->name);
    for (const char* command : source->commands)
        if (command) m_pLink->Send(command);
    m_pDoc->m_nCaptureCount = 0; // counts the reply to come: still 0 means none came
    m_nIdle = 0;
    m_nReplyTicks = 0;
    m_nTimer = kTimerWaveform;
    m_state = State::Waveform;
}

void CGdsAcquisition::DropSource(const QString& why) {
    MessageBox(why);
    m_nFailed = static_cast<std::int16_t>(m_nFailed | m_nCurrent);
    // No samples for this source: nothing of an earlier acquisition shows as it.
    if (m_nColumn + 1 < CZbDoc::kColumns)
        for (int r = 0; r < CZbDoc::kCapacity; ++r)
            m_pDoc->m_fT[r][m_nColumn] = m_pDoc->m_fT[r][m_nColumn + 1] = kNoValue;
    Redraw();
}

void CGdsAcquisition::HandleWaveform() {
    const bool channel1 = m_strSource == QLatin1String("CH1");
    const float scale = channel1 ? m_pLink->m_fScale1 : m_pLink->m_fScale2;
    const QStringList unreadable = UnreadableGdsSettings(
        m_pLink->m_fTimebase, scale,
        channel1 ? QStringLiteral("calibre voie 1") : QStringLiteral("calibre voie 2"));
    const QString fileError = m_pLink->Monitor().FileError();
    if (!fileError.isEmpty()) {
        DropSource(fileError);
    } else if (m_pDoc->m_nCaptureCount == 0) {
        DropSource(Sprintf("Pas de réponse de l'oscilloscope pour %s !", m_strSource));
    } else if (!unreadable.isEmpty()) {
        DropSource(Sprintf("%s non convertie : %s illisible.", m_strSource,
                           unreadable.join(QStringLiteral(" et "))));
    } else {
        QFile file(m_pDoc->m_strCapturePath);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray capture = file.readAll();
            m_pDoc->m_nCaptureCount = std::int32_t(capture.size());
            // A late reply to a source given up before is no sample of this one.
            const QByteArray block = capture.mid(LastGdsBlockStart(capture));
            const GdsBlockResult result =
                ConvertGdsBlock(block, m_pDoc->m_fT.get(), m_pDoc->m_nCapacity, m_nColumn,
                                m_pLink->m_fTimebase, scale);
            if (!result.compatible) {
                MessageBox(QStringLiteral("Fichier non compatible !"));
                m_nFailed = static_cast<std::int16_t>(m_nFailed | m_nCurrent);
            } else if (result.rows == 0) {
                m_nFailed = static_cast<std::int16_t>(m_nFailed | m_nCurrent);
                m_nEmptySources = static_cast<std::int16_t>(m_nEmptySources | m_nCurrent);
            }
            m_pDoc->m_nPoints = static_cast<std::int16_t>(result.rows);
            Redraw();
        }
    }
    m_nColumn = static_cast<std::int16_t>(m_nColumn + 2);
    m_nTimer = kTimerNextSource;
    m_state = State::NextSource;
}

void CGdsAcquisition::Finish() {
    m_strMessage = Sprintf("Fin d'acquisition.\n%d valeurs écrites dans le tableau.\n(%d)",
                           m_pDoc->m_nPoints + 1, m_pDoc->m_nCaptureCount);
    m_state = State::Ready;
    m_bCloseEnabled = true;
    m_bAcquireEnabled = true;
    ApplyBoxRule();
    m_pDoc->m_pRegressions->Reset();
    Redraw();
}

void CGdsAcquisition::PortLost(const QString& reason) {
    EndKeepingConverted(State::Lost,
                        QString::fromUtf8(kCommunicationError) + QLatin1Char('\n') + reason);
}

void CGdsAcquisition::Abandon() {
    if (m_state != State::NextSource && m_state != State::Waveform) return;
    EndKeepingConverted(State::Stopped, m_strMessage);
}

void CGdsAcquisition::EndKeepingConverted(State state, const QString& message) {
    const State was = m_state;
    m_nTimer = kNoTimer;
    m_state = state;
    m_strMessage = message;
    DisableSources();
    m_bCloseEnabled = true;
    if (was != State::NextSource && was != State::Waveform) return;
    // What was converted stays; the sources left get no samples.
    std::int16_t left = m_nPending;
    if (was == State::Waveform) left = static_cast<std::int16_t>(left | m_nCurrent);
    m_nFailed = static_cast<std::int16_t>(m_nFailed | left);
    int column = m_nColumn;
    for (const GdsSource& source : kGdsSources) {
        if (!(left & source.bit) || column + 1 >= kMaxSources * 2) continue;
        for (int r = 0; r < CZbDoc::kCapacity; ++r)
            m_pDoc->m_fT[r][column] = m_pDoc->m_fT[r][column + 1] = kNoValue;
        column += 2;
    }
    m_nPending = 0;
    Redraw();
}
