#pragma once

#include <QObject>
#include <QTimer>
#include <initializer_list>
#include <memory>

#include "instruments/gwinstek/gdsacquisition.h"
#include "instruments/gwinstek/gdslink.h"

class CZbDoc;

// Runs a GDS-820C acquisition on the event loop: owns the link on the
// document's scope port and the acquisition's steps, and gives them their
// 10 ms ticks. The dialog and the batch command both drive it.
class CGdsAcqController : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 10;

    // The link on the device the document's scope port stands for.
    explicit CGdsAcqController(CZbDoc* doc, QObject* parent = nullptr);
    // Over a link made by the caller (tests).
    CGdsAcqController(CZbDoc* doc, std::unique_ptr<CGdsLink> link, QObject* parent = nullptr);
    ~CGdsAcqController() override;

    void Open();
    void SetSource(std::int16_t bit, bool checked);
    void Acquire();
    // "&Fermer": the link and its monitor go; views are asked to redraw.
    void Close();
    // The window closes while the acquisition runs: it stops, and what was
    // converted stays; Close() follows.
    void Abandon();
    // Runs the event loop while the acquisition is in one of these states
    // (for callers without a window of their own).
    void RunWhile(std::initializer_list<CGdsAcquisition::State> busy);

    CGdsAcquisition& Acquisition() { return m_acquisition; }
    CGdsLink* Link() { return m_pLink.get(); }

  signals:
    void changed();                       // texts or enabled states
    void messageBox(const QString& text); // "Fichier non compatible !"...
    void redrawRequested();               // the document's samples changed

  private:
    void Step();
    void Follow();

    CZbDoc* m_pDoc;
    std::unique_ptr<CGdsLink> m_pLink;
    CGdsAcquisition m_acquisition;
    QTimer m_timer;
    bool m_bBusy = false;
};
