#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "instruments/leuze/leuzelink.h"

class CZbDoc;

// "Lecture codes avec Leuze BCL32" without its window. "&Lire" starts the
// beam and looks at the received frames every 10 ms; a frame of 19
// characters or more is a code (6 characters of prefix, then the code). After
// a code the beam is restarted ("H", "CA+", "DL+", 300 ms after each) as timer
// states, during which the ticks are skipped. "&Arrêter" switches the beam off
// and makes the last code read the document's code, shown on the code sheet.
class CLeuzeReading : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 10;
    static constexpr int kRestartPauseMs = 300;
    static constexpr int kCodeFrameLength = 19; // prefix and a 13-digit code
    static constexpr int kPrefixLength = 6;

    CLeuzeReading(CZbDoc* doc, std::unique_ptr<CLeuzeLink> link, QObject* parent = nullptr);
    ~CLeuzeReading() override;

    // "&Lire" / "&Arrêter".
    void Toggle();
    // Closing, by "&Fermer" or otherwise: a reading in progress stops as
    // "&Arrêter" stops it, then the link closes.
    void Close();

    QString ButtonCaption() const;

    // Timer handlers, public for the tests.
    void OnTick();
    void OnPauseOver();
    bool Restarting() const { return m_bRestarting; }

    CZbDoc* m_pDoc;
    std::int32_t m_bReading = 0;
    std::int32_t m_bBusy = 0;
    std::int16_t m_nTicks = 0;
    QString m_strLastCode;
    QString m_strMessage;
    bool m_bCloseEnabled = true;
    std::unique_ptr<CLeuzeLink> m_pLink;

  signals:
    void changed();
    void redrawRequested();
    // A code frame was read (m_strLastCode).
    void codeRead();

  private:
    void Start();
    void Stop();
    void OnLost();

    bool m_bRestarting = false;
    int m_nRestartStep = 0; // restart commands sent so far
    QTimer m_tick;
    QTimer m_pause;
};
