#pragma once

#include <QString>
#include <functional>

#include "instruments/serial/portnames.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QWidget;
class CZbDoc;

// The "N° du port" group of the oscilloscope port dialogs with one device
// field: COM1 and COM2, the device or address each stands for beside it, and
// an editable field for the chosen one's. The devices chosen are kept in the
// profile, and the port in the document, only at Save ("&OK").
class CPortDevices {
  public:
    // `portClicked` runs with the index of the name clicked; `fieldChosen`
    // when a device is picked or typed in the field.
    CPortDevices(QWidget* parent, CZbDoc* doc, const QString& fieldLabel,
                 std::function<void(int)> portClicked, std::function<void()> fieldChosen);

    QGroupBox* Group() const { return m_pGroup; }
    QComboBox* Field() const { return m_pDevice; }
    int Port() const { return m_nPort; }
    const QString& Device() const { return m_strDevice[m_nPort]; }

    void ChoosePort(int port); // its device shown in the field
    // The field's device for the chosen port: false when it is blank or the
    // one it already had.
    bool TakeField();
    void Save() const;
    void Show() const; // the devices beside the names

  private:
    CZbDoc* m_pDoc;
    int m_nPort = 0;
    QString m_strDevice[CPortNames::kPortCount];
    QGroupBox* m_pGroup;
    QButtonGroup* m_pPorts;
    QLabel* m_pDeviceOf[CPortNames::kPortCount];
    QComboBox* m_pDevice;
};
