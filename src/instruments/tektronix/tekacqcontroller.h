#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "instruments/tektronix/tekacquisition.h"
#include "instruments/tektronix/teklink.h"

class CZbDoc;

// Runs the acquisition's steps with their 10 ms timer on a link of its own,
// for the dialog and for the batch acquisition alike. The link is opened on
// the document's oscilloscope port at construction and lives until
// CloseLink() or the controller's end.
class CTekAcqController : public QObject {
    Q_OBJECT

  public:
    explicit CTekAcqController(CZbDoc* doc, QObject* parent = nullptr);
    // On a link already made (tests hand one on a transport without a device).
    CTekAcqController(CZbDoc* doc, std::unique_ptr<CTekLink> link, QObject* parent = nullptr);
    ~CTekAcqController() override;

    void Open();
    void SourceClicked();
    void Acquire();
    // "&Fermer": the link and its monitor go.
    void CloseLink();
    // The window closes while the acquisition runs: it stops, and what was
    // converted stays; CloseLink() follows.
    void Abandon();

    CTekLink* Link() const { return m_pLink.get(); }
    bool TimerRunning() const { return m_timer.isActive(); }

    // The steps' state; the dialog reads and writes its members between steps.
    CTekAcquisition m_acquisition;

  signals:
    void fieldsChanged();
    void messageBox(const QString& text);
    void redrawRequested();
    // The acquisition reached "ready" or "stopped" (or could not start).
    void idle();

  private:
    void OnTick();
    void FollowTimer();

    std::unique_ptr<CTekLink> m_pLink;
    QTimer m_timer;
    bool m_bBusy = false; // a tick (and the message box it may show) is being handled
};
