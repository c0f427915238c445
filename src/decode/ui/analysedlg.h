#pragma once

#include <QDialog>

#include "decode/analysis.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class CZbApp;
class CZbDoc;

// "Analyse du code": generates the edges of the chosen channel against URef,
// lets the user confirm the module widths T and E, then decodes the edges
// into the document's code. Only the button of the next step is enabled.
class CAnalyseDlg : public QDialog {
    Q_OBJECT
  public:
    CAnalyseDlg(CZbDoc* doc, CZbApp* app, QWidget* parent = nullptr);

    // The steps and their state; the dialog only moves fields in and out.
    CCodeAnalysis m_analysis;
    CZbApp* m_pApp;

  signals:
    void redrawRequested();

  protected:
    void reject() override;

  private:
    void ReadControls();
    void ShowControls();
    void OnChannel(int index);
    void OnGenerate();
    void OnConfirm();
    void OnAnalyse();
    void OnClose();
    void ShowMessageBox(const QString& text);

    QButtonGroup* m_pChannels;
    QLineEdit* m_pURefEdit;
    QLineEdit* m_pTEdit;
    QLineEdit* m_pEEdit;
    QPushButton* m_pGenerate;
    QPushButton* m_pConfirm;
    QPushButton* m_pAnalyse;
    QLabel* m_pMessage;
    bool m_bClosed = false;
};
