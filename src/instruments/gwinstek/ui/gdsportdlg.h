#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "instruments/gwinstek/gdsidentify.h"
#include "instruments/serial/ui/portdevices.h"

class QLabel;
class QPushButton;
class CGdsLink;
class CZbDoc;

// "Paramètres port série GDS-820C": COM1 or COM2 (and the device each stands
// for), with "&Tester" asking the oscilloscope for its identification.
class CGdsPortDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 10;

    CGdsPortDlg(CZbDoc* doc, QWidget* parent = nullptr);
    ~CGdsPortDlg() override;

    void reject() override; // "&Quitter", Escape and the window's close button

    QString m_strMessage;
    std::int16_t m_nTicks = 0;
    CZbDoc* m_pDoc;
    std::unique_ptr<CGdsLink> m_pLink;

  signals:
    void redrawRequested();

  private:
    void OpenLink();
    void CloseLink();
    void OnPort(int index);
    void OnDevice();
    void OnTest();
    void OnTick();
    void OnOk();
    void ShowControls();

    CGdsIdentify m_identify;
    CPortDevices m_devices; // the port and the devices chosen here, kept at "&OK"
    QTimer m_timer;         // timer 1
    QPushButton* m_pTest;
    QPushButton* m_pOk;
    QLabel* m_pMessage;
};
