#pragma once

#include <QDialog>
#include <QTimer>

#include "instruments/serial/portnames.h"
#include "instruments/tektronix/tekportsession.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class CZbDoc;

// "Définition port série Tektronix": chooses COM1 or COM2 for the
// oscilloscope, shows and changes the device each name stands for, and tests
// the link by asking for the identification.
class CTekPortDlg : public QDialog {
    Q_OBJECT

  public:
    CTekPortDlg(CZbDoc* doc, QWidget* parent = nullptr);
    ~CTekPortDlg() override;

    CTekPortSession m_session;

  public slots:
    void reject() override; // Esc and the title bar's close act as "&Quitter"

  private:
    void ReadControls();
    void ShowControls();
    void ShowMonitor();
    void OnPort(int index);
    void OnDevice(int index);
    void OnTest();
    void OnTick();
    void OnOk();

    QButtonGroup* m_pPorts;
    QComboBox* m_pDevice[CPortNames::kPortCount];
    QPushButton* m_pTest;
    QPushButton* m_pOk;
    QLabel* m_pMessage;
    QTimer m_timer; // timer 1
};
