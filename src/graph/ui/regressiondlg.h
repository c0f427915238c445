#pragma once

#include <QDialog>

#include "graph/regressionpanel.h"
#include "view/viewtools.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class CZbApp;
class CZbDoc;

// "Tracé de régressions", modeless: the user picks two points of a curve on
// the graph (the view hands each click over with PickPoint), chooses a line
// or a polynomial and computes it into one of the three slots. The dialog
// deletes itself when closed.
class CRegressionDlg : public QDialog, public CPointPickingTool {
    Q_OBJECT
  public:
    // Sets the document's m_bRegressionOpen; closing clears it.
    CRegressionDlg(CZbDoc* doc, CZbApp* app, QWidget* parent = nullptr);

    void PickPoint(bool found, std::int16_t row, std::int16_t xCol, std::int16_t yCol, float x,
                   float y, float distance) override;

    CRegressionPanel m_panel;

  signals:
    void redrawRequested();
    // The dialog closed and is about to be deleted.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    float ReadTolerance() const;
    void ShowControls();
    void OnPick(int point);
    void OnCompute();
    void OnPauseOver();
    void Finish();

    CZbApp* m_pApp;
    QPushButton* m_btnCompute;
    QComboBox* m_cbType;
    QButtonGroup* m_pSlots;
    QLabel* m_pMessage;
    QCheckBox* m_pDraw;
    QLabel* m_pCoef[CRegressionSet::kCoefficients];
    QLineEdit* m_pTolerance;
    QTimer* m_pPause;
    bool m_bClosing = false;
};
