#include "instruments/scpi/scpiacquisition.h"

#include <algorithm>
#include <cmath>

#include "common/format.h"
#include "common/novalue.h"
#include "doc/zbdoc.h"
#include "graph/regressionset.h"

namespace {

const char* const kChooseChannels =
    "Sélectionner les voies d'acquisition, puis cliquer sur Acquérir.";

QByteArray Command(const QString& text) {
    return text.toLatin1() + '\n';
}

// A query without its line feed, as the messages name it.
QString Named(const QByteArray& query) {
    return QString::fromLatin1(query.trimmed());
}

} // namespace

CScpiAcquisition::CScpiAcquisition(CZbDoc* doc) : m_pDoc(doc) {}

bool CScpiAcquisition::Send(const char* command) {
    return Send(QByteArray(command));
}

bool CScpiAcquisition::Send(const QByteArray& command) {
    if (m_send && m_send(command)) return true;
    Fail(QStringLiteral("Erreur d'écriture vers l'oscilloscope (%1).").arg(Named(command)));
    return false;
}

// The query goes out and its reply is awaited; anything received before is dropped.
void CScpiAcquisition::Await(Phase phase, const QByteArray& query) {
    m_buffer.clear();
    m_nIdle = 0;
    m_nReplyTicks = 0;
    m_query = query;
    m_phase = phase;
    Send(query);
}

void CScpiAcquisition::Open() {
    m_state = State::Opening;
    m_bAcquireEnabled = false;
    m_bCloseEnabled = true;
    m_bChannelEnabled[0] = m_bChannelEnabled[1] = false;
    // The boxes start from the document's mask, as the other acquisitions do.
    m_bChannel[0] = (m_pDoc->m_nChannels & kChannelCh1) != 0;
    m_bChannel[1] = (m_pDoc->m_nChannels & kChannelCh2) != 0;
    m_strMessage = QStringLiteral("Identification de l'oscilloscope...");
    Await(Phase::Identity, "*IDN?\n");
}

void CScpiAcquisition::SetChannel(int channel, bool checked) {
    if (channel < 1 || channel > kChannels || !m_bChannelEnabled[channel - 1]) return;
    m_bChannel[channel - 1] = checked;
    ApplyChannelRule();
}

// A channel box is usable while the scope displays it; "&Acquérir" needs one ticked.
void CScpiAcquisition::ApplyChannelRule() {
    const bool ready = m_state == State::Ready;
    for (int k = 0; k < kChannels; ++k) {
        if (!m_bDisplayed[k]) m_bChannel[k] = false;
        m_bChannelEnabled[k] = ready && m_bDisplayed[k];
    }
    m_bAcquireEnabled = ready && (m_bChannel[0] || m_bChannel[1]);
    m_bCloseEnabled = m_state != State::Acquiring;
}

void CScpiAcquisition::Receive(const QByteArray& bytes) {
    if (m_phase == Phase::None) return; // nothing asked: a late reply is dropped
    m_buffer += bytes;
    m_nIdle = 0;
    Process();
}

void CScpiAcquisition::Process() {
    // A reply handled here may send the next query: bytes arriving meanwhile wait.
    if (m_bProcessing) return;
    m_bProcessing = true;
    for (bool progress = true; progress && m_phase != Phase::None;) {
        progress = false;
        if (m_phase == Phase::Data) {
            const ScpiBlock block = FindScpiBlock(m_buffer);
            if (block.status == ScpiBlock::Invalid) {
                Fail(QStringLiteral("Réponse à %1 sans bloc de données lisible.")
                         .arg(Named(m_query)));
            } else if (block.status == ScpiBlock::Incomplete && m_buffer.indexOf('#') < 0 &&
                       m_buffer.size() > kMaxUnreadable) {
                Fail(QStringLiteral("Réponse à %1 sans bloc de données lisible.")
                         .arg(Named(m_query)));
            } else if (block.status == ScpiBlock::Complete) {
                const QByteArray buffer = m_buffer;
                m_buffer.remove(0, block.end);
                HandleBlock(buffer, block);
                progress = true;
            }
        } else {
            QByteArray line;
            if (TakeScpiLine(&m_buffer, &line))
                progress = HandleLine(line);
            else if (m_buffer.size() > kMaxUnreadable)
                Fail(QStringLiteral("Réponse à %1 illisible (pas de fin de ligne).")
                         .arg(Named(m_query)));
        }
    }
    m_bProcessing = false;
}

void CScpiAcquisition::Tick() {
    if (m_phase == Phase::None) return;
    ++m_nReplyTicks;
    if (++m_nIdle <= m_nTimeoutTicks) {
        // Silence is told as such: the limit is never shorter than the time-out.
        const int limit = std::max(m_nReplyLimitTicks, m_nTimeoutTicks);
        if (m_nReplyTicks > limit)
            Fail(Sprintf("L'oscilloscope répond depuis plus de %g s : acquisition arrêtée.",
                         limit * kTickMs / 1000.0));
        return;
    }
    const QString seconds = Sprintf("%g", m_nTimeoutTicks * kTickMs / 1000.0);
    if (m_phase == Phase::Data) {
        const ScpiBlock block = FindScpiBlock(m_buffer);
        if (block.dataOffset > 0) {
            Fail(QStringLiteral("Bloc de données incomplet : %1 octets reçus sur %2 annoncés.")
                     .arg(m_buffer.size() - block.dataOffset)
                     .arg(block.length));
            return;
        }
    }
    if (m_phase == Phase::Identity) {
        Fail(QStringLiteral("Pas de réponse de l'oscilloscope à *IDN? en %1 s.\nVérifier le "
                            "câble ou l'adresse, puis le port choisi dans Connexion "
                            "oscilloscope...")
                 .arg(seconds));
        return;
    }
    Fail(QStringLiteral("Pas de réponse de l'oscilloscope à %1 en %2 s.")
             .arg(Named(m_query), seconds));
}

bool CScpiAcquisition::HandleLine(const QByteArray& line) {
    switch (m_phase) {
    case Phase::Identity: {
        m_phase = Phase::None;
        m_identity = IdentifyScpi(QString::fromLatin1(line));
        const QString name = m_identity.maker + QLatin1Char(' ') + m_identity.model;
        if (m_identity.dialect == ScpiDialect::Tektronix) {
            m_state = State::Stopped;
            m_strMessage =
                QStringLiteral("Oscilloscope %1.\n").arg(name) + ScpiDialectNote(m_identity);
            ApplyChannelRule();
            return false;
        }
        if (m_identity.dialect == ScpiDialect::Unsupported) {
            m_state = State::Stopped;
            m_strMessage = QString::fromLatin1(line.left(80)) + QLatin1Char('\n') +
                           ScpiDialectNote(m_identity);
            ApplyChannelRule();
            return false;
        }
        m_pDoc->m_astrLegend = {QStringLiteral("ACQ. OSCILLOSCOPE ") + name,
                                QStringLiteral("Nom(s)/Prénom(s):")};
        m_channels = {1, 2};
        m_nChannelIndex = 0;
        AskDisplay();
        return true;
    }
    case Phase::Display:
        DisplayAnswered(line);
        return true;
    case Phase::RunState: {
        const QByteArray state = line.toUpper();
        // Rigol: TD, WAIT, RUN, AUTO or STOP; Keysight: RUN, STOP or SING.
        m_bWasRunning = m_identity.dialect == ScpiDialect::Rigol ? state != "STOP" : state == "RUN";
        if (!Send(":STOP\n")) return false;
        m_nChannelIndex = 0;
        StartChannel();
        return true;
    }
    case Phase::Preamble: {
        QString why;
        if (!ParseScpiPreamble(line, &m_preamble, &why)) {
            Fail(QStringLiteral("Préambule illisible (%1).").arg(why));
            return false;
        }
        m_kept = ThinnedIndices(m_preamble.points, CZbDoc::kCapacity);
        m_raw.clear();
        m_raw.reserve(m_kept.size());
        if (m_identity.dialect == ScpiDialect::Rigol) {
            m_nFirst = 0;
            AskRigolChunk();
        } else {
            Await(Phase::Data, ":WAV:DATA?\n");
        }
        return true;
    }
    case Phase::Data:
    case Phase::None:
        break;
    }
    return false;
}

void CScpiAcquisition::AskDisplay() {
    Await(Phase::Display, Command(QStringLiteral(":CHAN%1:DISP?").arg(CurrentChannel())));
}

void CScpiAcquisition::DisplayAnswered(const QByteArray& line) {
    const QByteArray answer = line.toUpper();
    const int channel = CurrentChannel();
    bool displayed = false;
    if (answer == "1" || answer == "ON") {
        displayed = true;
    } else if (answer != "0" && answer != "OFF") {
        Fail(QStringLiteral("Réponse illisible à :CHAN%1:DISP? : \"%2\"")
                 .arg(channel)
                 .arg(QString::fromLatin1(line.left(40))));
        return;
    }
    m_bDisplayed[channel - 1] = displayed;
    if (m_state == State::Acquiring && !displayed) {
        // Displayed at opening, switched off since: refused as at opening.
        m_phase = Phase::None;
        m_state = State::Ready;
        m_bFailed = true;
        m_strMessage = QStringLiteral("La voie %1 n'est pas affichée sur l'oscilloscope : "
                                      "acquisition refusée.")
                           .arg(channel);
        ApplyChannelRule();
        return;
    }
    if (++m_nChannelIndex < int(m_channels.size())) {
        AskDisplay();
        return;
    }
    if (m_state == State::Acquiring) {
        AskRunState();
        return;
    }
    m_phase = Phase::None;
    m_state = State::Ready;
    m_strMessage = QStringLiteral("Oscilloscope %1 %2.\n").arg(m_identity.maker, m_identity.model);
    for (int k = 0; k < kChannels; ++k)
        if (!m_bDisplayed[k])
            m_strMessage += QStringLiteral("Voie %1 non affichée sur l'oscilloscope.\n").arg(k + 1);
    m_strMessage += QString::fromUtf8(kChooseChannels);
    ApplyChannelRule();
}

void CScpiAcquisition::Acquire() {
    if (m_state != State::Ready || !m_bAcquireEnabled) return;
    m_channels.clear();
    for (int k = 0; k < kChannels; ++k)
        if (m_bChannel[k]) m_channels.push_back(k + 1);
    m_state = State::Acquiring;
    m_bFailed = false;
    m_bWasRunning = false;
    m_nStored = 0;
    m_summary.clear();
    std::int16_t mask = 0;
    for (int channel : m_channels)
        mask = std::int16_t(mask | (channel == 1 ? kChannelCh1 : kChannelCh2));
    m_pDoc->m_nChannels = mask;
    m_pDoc->m_nDisplay = mask;
    m_pDoc->m_nPoints = 0;
    ApplyChannelRule();
    m_strMessage = QStringLiteral("Acquisition en cours...");
    // The scope may have changed since the opening: asked again.
    m_nChannelIndex = 0;
    AskDisplay();
}

void CScpiAcquisition::AskRunState() {
    Await(Phase::RunState, m_identity.dialect == ScpiDialect::Rigol ? ":TRIG:STAT?\n" : ":RST?\n");
}

void CScpiAcquisition::StartChannel() {
    m_bTransferring = m_nChannelIndex < int(m_channels.size());
    if (!m_bTransferring) {
        Finish();
        return;
    }
    const QByteArray source = Command(QStringLiteral(":WAV:SOUR CHAN%1").arg(CurrentChannel()));
    m_strMessage = QStringLiteral("Acquisition de la voie %1...").arg(CurrentChannel());
    const bool sent = m_identity.dialect == ScpiDialect::Rigol
                          ? Send(source) && Send(":WAV:MODE RAW\n") && Send(":WAV:FORM BYTE\n")
                          : Send(source) && Send(":WAV:FORM BYTE\n") && Send(":WAV:UNS ON\n") &&
                                Send(":WAV:POIN:MODE RAW\n") &&
                                Send(Command(QStringLiteral(":WAV:POIN %1").arg(kKeysightPoints)));
    if (sent) Await(Phase::Preamble, ":WAV:PRE?\n");
}

// The next read of at most kRigolReadPoints, numbered from 1 on the scope.
void CScpiAcquisition::AskRigolChunk() {
    m_nLast = std::min(m_nFirst + kRigolReadPoints, m_preamble.points) - 1;
    // A deep memory takes many reads: the message follows them.
    if (m_preamble.points > kRigolReadPoints)
        m_strMessage = QStringLiteral("Acquisition de la voie %1 (points %2 à %3 sur %4)...")
                           .arg(CurrentChannel())
                           .arg(m_nFirst + 1)
                           .arg(m_nLast + 1)
                           .arg(m_preamble.points);
    if (!Send(Command(QStringLiteral(":WAV:STAR %1").arg(m_nFirst + 1))) ||
        !Send(Command(QStringLiteral(":WAV:STOP %1").arg(m_nLast + 1))))
        return;
    Await(Phase::Data, ":WAV:DATA?\n");
}

void CScpiAcquisition::HandleBlock(const QByteArray& buffer, const ScpiBlock& block) {
    const bool rigol = m_identity.dialect == ScpiDialect::Rigol;
    const qint64 first = rigol ? m_nFirst : 0;
    const qint64 expected = rigol ? m_nLast - m_nFirst + 1 : m_preamble.points;
    if (block.length != expected) {
        Fail(QStringLiteral("Bloc de %1 octets au lieu des %2 attendus.")
                 .arg(block.length)
                 .arg(expected));
        return;
    }
    const auto* data =
        reinterpret_cast<const unsigned char*>(buffer.constData()) + block.dataOffset;
    for (std::size_t r = m_raw.size(); r < m_kept.size() && m_kept[r] < first + expected; ++r)
        m_raw.push_back(data[m_kept[r] - first]);
    if (rigol && m_nLast + 1 < m_preamble.points) {
        m_nFirst = m_nLast + 1;
        AskRigolChunk();
        return;
    }
    m_phase = Phase::None;
    StoreChannel();
}

void CScpiAcquisition::StoreChannel() {
    const std::size_t rows = m_raw.size();
    std::vector<float> times(rows), volts(rows);
    for (std::size_t r = 0; r < rows; ++r) {
        times[r] = float(ScpiTime(m_kept[r], m_preamble));
        volts[r] = float(ScpiVolts(m_identity.dialect, m_raw[r], m_preamble));
        // Finite fields can still overflow a float.
        if (!std::isfinite(times[r]) || !std::isfinite(volts[r])) {
            Fail(QStringLiteral("Valeurs non finies à la conversion (point %1).").arg(m_kept[r]));
            return;
        }
    }
    // The first source in columns 0 and 1, the second in 2 and 3.
    const int column = 2 * m_nChannelIndex;
    for (int r = 0; r < CZbDoc::kCapacity; ++r) {
        const bool stored = std::size_t(r) < rows;
        m_pDoc->m_fT[r][column] = stored ? times[r] : kNoValue;
        m_pDoc->m_fT[r][column + 1] = stored ? volts[r] : kNoValue;
    }
    m_pDoc->m_nPoints = std::int16_t(std::max<std::size_t>(std::size_t(m_pDoc->m_nPoints), rows));
    const int channel = CurrentChannel();
    m_nStored = std::int16_t(m_nStored | (channel == 1 ? kChannelCh1 : kChannelCh2));
    m_summary << QStringLiteral("Voie %1 : %2 points lus, %3 gardés dans le tableau.")
                     .arg(channel)
                     .arg(m_preamble.points)
                     .arg(rows);
    if (m_onRedraw) m_onRedraw();
    ++m_nChannelIndex;
    StartChannel();
}

void CScpiAcquisition::Finish() {
    m_phase = Phase::None;
    // Left as the user had it.
    const bool restart = m_bWasRunning;
    m_bWasRunning = false;
    if (restart && !Send(":RUN\n")) return;
    m_state = State::Ready;
    m_strMessage = QStringLiteral("Fin d'acquisition.\n") + m_summary.join(QLatin1Char('\n'));
    ApplyChannelRule();
    m_pDoc->m_pRegressions->Reset();
    if (m_onRedraw) m_onRedraw();
}

void CScpiAcquisition::Fail(const QString& text) {
    End(QStringLiteral("Acquisition interrompue"), text);
}

void CScpiAcquisition::Abandon() {
    if (m_state != State::Acquiring) return;
    End(QStringLiteral("Acquisition arrêtée à la fermeture de la fenêtre"), QString());
    m_state = State::Stopped; // the link goes with the window
    ApplyChannelRule();
}

// A failure at opening leaves no usable oscilloscope; later ones only end
// this acquisition. The message is the headline, the channel being read,
// the reason (if any) and what was read before.
void CScpiAcquisition::End(const QString& headline, const QString& text) {
    const bool acquiring = m_state == State::Acquiring;
    const bool restart = acquiring && m_bWasRunning;
    m_phase = Phase::None;
    m_buffer.clear();
    m_bWasRunning = false; // a failed :RUN below must not come back here
    const bool transferring = m_bTransferring;
    m_bTransferring = false;
    m_bFailed = true;
    m_state =
        m_state == State::Opening || m_state == State::Stopped ? State::Stopped : State::Ready;
    if (acquiring) {
        // Nothing of the faulty channel, nor of those after it, shows as theirs.
        for (int k = int(m_summary.size()); k < int(m_channels.size()) && k < kChannels; ++k)
            for (int r = 0; r < CZbDoc::kCapacity; ++r)
                m_pDoc->m_fT[r][2 * k] = m_pDoc->m_fT[r][2 * k + 1] = kNoValue;
        if (m_nStored == 0) m_pDoc->m_nPoints = 0;
        m_strMessage = headline;
        if (transferring) m_strMessage += QStringLiteral(" (voie %1)").arg(CurrentChannel());
        m_strMessage += text.isEmpty() ? QStringLiteral(".") : QStringLiteral(" :\n") + text;
        if (!m_summary.isEmpty())
            m_strMessage += QLatin1Char('\n') + m_summary.join(QLatin1Char('\n'));
        if (restart && m_send) m_send(":RUN\n");
        m_pDoc->m_pRegressions->Reset();
        if (m_onRedraw) m_onRedraw();
    } else {
        m_strMessage = text;
    }
    ApplyChannelRule();
}

void CScpiAcquisition::LinkLost(const QString& reason) {
    const bool acquiring = m_state == State::Acquiring;
    m_bWasRunning = false; // nothing can be sent any more
    m_state = acquiring ? State::Acquiring : m_state;
    Fail(QStringLiteral("Liaison perdue avec l'oscilloscope.\n") + reason);
    m_state = State::Stopped;
    ApplyChannelRule();
}
