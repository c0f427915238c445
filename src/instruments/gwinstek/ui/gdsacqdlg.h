#pragma once

#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class CGdsAcqController;
class CZbDoc;

// "Acquisition spectre GDS-820C": reads the oscilloscope's settings at
// opening, then acquires the checked channels into the sample table.
class CGdsAcqDlg : public QDialog {
    Q_OBJECT
  public:
    CGdsAcqDlg(CZbDoc* doc, QWidget* parent = nullptr);
    ~CGdsAcqDlg() override;

    // Escape and the window's close button act as "&Fermer"; while an
    // acquisition runs they first stop it.
    void reject() override;

    CGdsAcqController* Controller() { return m_pController.get(); }
    CZbDoc* m_pDoc;

  signals:
    void redrawRequested();

  private:
    void OnClose();
    void ShowControls();
    void ShowMessageBox(const QString& text);

    std::unique_ptr<CGdsAcqController> m_pController;
    QCheckBox* m_pBox[4]; // "Voie &1", "Voie &2", "&Mem1", "M&em2": bits 1, 2, 4, 8
    QPushButton* m_pAcquire;
    QPushButton* m_pClose;
    QLabel* m_pMessage;
};
