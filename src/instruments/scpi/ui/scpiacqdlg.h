#pragma once

#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class CScpiAcqController;
class CZbDoc;

// "Acquisition oscilloscope USB/Ethernet": identifies the oscilloscope at
// opening, then acquires the checked channels into the sample table.
class CScpiAcqDlg : public QDialog {
    Q_OBJECT
  public:
    CScpiAcqDlg(CZbDoc* doc, QWidget* parent = nullptr);
    // Over a controller made by the caller (tests).
    CScpiAcqDlg(CZbDoc* doc, std::unique_ptr<CScpiAcqController> controller,
                QWidget* parent = nullptr);
    ~CScpiAcqDlg() override;

    // Escape and the window's close button act as "&Fermer"; while an
    // acquisition runs they stop it first.
    void reject() override;

    CScpiAcqController* Controller() { return m_pController.get(); }
    CZbDoc* m_pDoc;

  signals:
    void redrawRequested();

  private:
    void OnClose();
    void ShowControls();

    std::unique_ptr<CScpiAcqController> m_pController;
    QCheckBox* m_pBox[2]; // "Voie &1", "Voie &2"
    QPushButton* m_pAcquire;
    QPushButton* m_pClose;
    QLabel* m_pMessage;
};
