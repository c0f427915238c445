#pragma once

#include <QDialog>
#include <memory>

#include "instruments/pcmes3/pcmes3acquisition.h"

class QLabel;
class QPushButton;
class QRadioButton;
class CZbApp;
class CZbDoc;

// "Acquisition numérique PC-MES3": the window of the acquisition, which only
// moves its controls in and out; closing it in any way sets the card idle.
class CPcMes3Dlg : public QDialog {
    Q_OBJECT
  public:
    CPcMes3Dlg(CZbDoc* doc, CZbApp* app, std::unique_ptr<CIoPorts> ports,
               QWidget* parent = nullptr);
    ~CPcMes3Dlg() override;

    CPcMes3Acquisition m_acquisition;

  signals:
    void redrawRequested();

  protected:
    // Closing in any way ("&Fermer", Escape, the close box) ends what runs
    // and sets the card idle.
    void done(int result) override;

  private:
    void ShowControls();

    QRadioButton* m_pRun;
    QRadioButton* m_pDebug;
    QPushButton* m_pAcquire;
    QPushButton* m_pStep;
    QPushButton* m_pClose;
    QLabel* m_pMessage;
};
