#pragma once

#include <QDialog>

#include "instruments/tektronix/tekacqcontroller.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class CZbDoc;

// "Acquisition spectre Tektronix": reads one or two sources of a TDS
// oscilloscope into the document's table. "&Fermer" is disabled while an
// acquisition runs; Escape and the close box then stop it and close.
class CTekAcqDlg : public QDialog {
    Q_OBJECT

  public:
    CTekAcqDlg(CZbDoc* doc, QWidget* parent = nullptr);

    CTekAcqController m_controller;

  signals:
    void redrawRequested();

  public slots:
    void reject() override;

  private:
    void ReadControls();
    void ShowControls();
    void OnSource();
    void OnAcquire();
    void OnClose();

    QButtonGroup* m_pType;
    QRadioButton* m_pTypeRadio[2];
    QCheckBox* m_pSource[kTekSourceCount];
    QCheckBox* m_pExtra;
    QPushButton* m_pAcquire;
    QPushButton* m_pClose;
    QLabel* m_pMessage;
};
