#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "instruments/scpi/scpireplies.h"

class CZbDoc;

// The steps of "Acquisition oscilloscope USB/Ethernet" without a window or a
// port: received bytes and 10 ms ticks go in, commands come out through
// m_send. A text reply is complete at its line feed, a block at the end its
// length declares; a reply that does not come within the time-out, or that
// is still coming past the reply limit from its request, ends the acquisition.
//
// Opening asks "*IDN?" (the dialect comes from the maker) and whether each
// channel is displayed. "&Acquérir" asks again for the chosen channels, notes
// whether the scope runs, stops it, reads each channel's preamble and data
// (Rigol: the whole memory in reads of at most kRigolReadPoints; Keysight:
// at most kKeysightPoints), thins each record evenly to the table's rows and
// lets the scope run again if it ran.
class CScpiAcquisition {
  public:
    enum class State {
        Opening, // identification and display queries
        Ready,   // waiting for "&Acquérir"
        Acquiring,
        Stopped, // no usable oscilloscope, or the link went away: only "&Fermer"
    };
    static constexpr int kTickMs = 10;
    static constexpr int kDefaultTimeoutTicks = 300; // 3 s without a byte of the awaited reply
    // A reply may last this long from its request, however its bytes come: a
    // read of kRigolReadPoints takes well under a second over USB or Ethernet
    // and about 22 s on a 115200-baud wire; a scope that keeps sending never
    // lets the silence time-out run.
    static constexpr int kDefaultReplyLimitTicks = 60 * 1000 / kTickMs;
    static constexpr qint64 kRigolReadPoints = 250000; // the DS1000Z's limit per read in BYTE
    static constexpr int kKeysightPoints = 5000;       // what the table holds
    static constexpr int kChannels = 2;
    // Bytes of a reply without a line feed, or before a block's "#", past which it is garbage.
    static constexpr int kMaxUnreadable = 4096;

    explicit CScpiAcquisition(CZbDoc* doc);

    // The dialog opens: the identification query.
    void Open();
    // A click on "Voie &1" (channel 1) or "Voie &2" (channel 2).
    void SetChannel(int channel, bool checked);
    // "&Acquérir".
    void Acquire();
    // Bytes from the oscilloscope.
    void Receive(const QByteArray& bytes);
    // One 10 ms tick; counts toward the time-out while a reply is awaited.
    void Tick();
    // The link went away.
    void LinkLost(const QString& reason);
    // The window is closed while an acquisition runs: it stops as on a
    // failure (what was converted stays, nothing of the reply under way),
    // and nothing more is asked of the scope.
    void Abandon();

    State CurrentState() const { return m_state; }
    // A reply is awaited: the driver ticks every kTickMs.
    bool Waiting() const { return m_phase != Phase::None; }
    bool Checked(int channel) const { return m_bChannel[channel - 1]; }
    bool Enabled(int channel) const { return m_bChannelEnabled[channel - 1]; }
    // The channel was displayed on the scope when last asked.
    bool Displayed(int channel) const { return m_bDisplayed[channel - 1]; }
    const ScpiIdentity& Identity() const { return m_identity; }
    // Channels of the last acquisition that stored their samples.
    std::int16_t StoredMask() const { return m_nStored; }
    // The last acquisition ended on a failure.
    bool Failed() const { return m_bFailed; }

    // Writes one command; false when the link refused it.
    std::function<bool(const QByteArray&)> m_send;
    // The document's samples changed: views redraw.
    std::function<void()> m_onRedraw;

    QString m_strMessage;
    int m_nTimeoutTicks = kDefaultTimeoutTicks;
    // Ticks a reply may take from its request (never less than the time-out).
    int m_nReplyLimitTicks = kDefaultReplyLimitTicks;
    bool m_bAcquireEnabled = false;
    bool m_bCloseEnabled = true;

  private:
    enum class Phase { None, Identity, Display, RunState, Preamble, Data };

    bool Send(const char* command);
    bool Send(const QByteArray& command);
    void Await(Phase phase, const QByteArray& query);
    void Process();
    bool HandleLine(const QByteArray& line);
    void HandleBlock(const QByteArray& buffer, const ScpiBlock& block);
    void Fail(const QString& text);
    void End(const QString& headline, const QString& text);
    void ApplyChannelRule();

    void AskDisplay();
    void DisplayAnswered(const QByteArray& line);
    void AskRunState();
    void StartChannel();
    void AskRigolChunk();
    void StoreChannel();
    void Finish();
    int CurrentChannel() const { return m_channels[m_nChannelIndex]; }

    CZbDoc* m_pDoc;
    State m_state = State::Opening;
    Phase m_phase = Phase::None;
    QByteArray m_buffer;
    QByteArray m_query;    // the awaited reply's question, for the messages
    int m_nIdle = 0;       // ticks since the last byte of the awaited reply
    int m_nReplyTicks = 0; // ticks since the awaited reply was asked for
    bool m_bProcessing = false;

    ScpiIdentity m_identity;
    bool m_bChannel[kChannels] = {false, false};
    bool m_bChannelEnabled[kChannels] = {false, false};
    bool m_bDisplayed[kChannels] = {true, true};

    // The acquisition under way.
    std::vector<int> m_channels;  // chosen channels, lowest first
    int m_nChannelIndex = 0;      // in m_channels: the display query, then the transfer
    bool m_bTransferring = false; // m_nChannelIndex is the channel being read
    bool m_bWasRunning = false;
    ScpiPreamble m_preamble;
    std::vector<qint64> m_kept;       // record indices kept
    std::vector<unsigned char> m_raw; // their bytes, as they come
    qint64 m_nFirst = 0, m_nLast = 0; // the Rigol read under way, 0-based inclusive
    std::int16_t m_nStored = 0;
    bool m_bFailed = false;
    QStringList m_summary; // "Voie 1 : N points lus, M gardés."
};
