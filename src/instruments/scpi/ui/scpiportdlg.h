#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "instruments/scpi/scpiidentify.h"
#include "instruments/serial/ui/portdevices.h"

class QLabel;
class QPushButton;
class CScpiLink;
class CZbDoc;

// "Connexion oscilloscope USB/Ethernet": COM1 or COM2 and the device or
// address each stands for, with "&Tester" asking the oscilloscope for its
// identification.
class CScpiPortDlg : public QDialog {
    Q_OBJECT
  public:
    CScpiPortDlg(CZbDoc* doc, QWidget* parent = nullptr);
    ~CScpiPortDlg() override;

    void reject() override; // "&Quitter", Escape and the window's close button

    CZbDoc* m_pDoc;

  private:
    void OpenLink();
    void CloseLink();
    void OnPort(int index);
    void OnDevice();
    void OnTest();
    void OnTick();
    void OnOk();
    void ShowControls();

    std::unique_ptr<CScpiLink> m_pLink;
    CScpiIdentify m_identify;
    CPortDevices m_devices; // the port and the devices chosen here, kept at "&OK"
    QTimer m_timer;
    QPushButton* m_pTest;
    QPushButton* m_pOk;
    QLabel* m_pMessage;
};
