#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "instruments/scpi/scpiacquisition.h"
#include "instruments/scpi/scpilink.h"

class CZbDoc;

// Runs an SCPI oscilloscope acquisition on the event loop: owns the link on
// the document's scope port, hands it the acquisition's commands and the
// acquisition its replies, and ticks it every 10 ms while a reply is awaited.
// The dialog and the batch command both drive it.
class CScpiAcqController : public QObject {
    Q_OBJECT
  public:
    // The link on what the document's scope port stands for.
    explicit CScpiAcqController(CZbDoc* doc, QObject* parent = nullptr);
    // Over a link made by the caller (tests).
    CScpiAcqController(CZbDoc* doc, std::unique_ptr<CScpiLink> link, QObject* parent = nullptr);
    ~CScpiAcqController() override;

    // The dialog opens: the identification, or the reason the port could not be opened.
    void Open();
    void SetChannel(int channel, bool checked);
    void Acquire();
    // "&Fermer": the link goes; views are asked to redraw.
    void Close();
    // The window is closed while an acquisition runs: it stops, keeping the
    // channels already converted; Close() then lets the link go.
    void Abandon();
    // Runs the event loop while a reply is awaited (for callers without a window).
    void RunWhileWaiting();

    CScpiAcquisition& Acquisition() { return m_acquisition; }
    CScpiLink* Link() { return m_pLink.get(); }

  signals:
    void changed();         // texts or enabled states
    void redrawRequested(); // the document's samples changed

  private:
    void Follow();

    CZbDoc* m_pDoc;
    std::unique_ptr<CScpiLink> m_pLink;
    CScpiAcquisition m_acquisition;
    QTimer m_timer;
};
