#include "instruments/serial/ui/portdevices.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "common/ui/dialogparts.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/serial/ui/devicechoice.h"

CPortDevices::CPortDevices(QWidget* parent, CZbDoc* doc, const QString& fieldLabel,
                           std::function<void(int)> portClicked, std::function<void()> fieldChosen)
    : m_pDoc(doc) {
    m_pGroup = new QGroupBox(QStringLiteral("N° du port"), parent);
    m_pPorts = new QButtonGroup(parent);
    auto* groupLayout = new QGridLayout(m_pGroup);
    for (int i = 0; i < CPortNames::kPortCount; ++i) {
        auto* radio = new QRadioButton(QStringLiteral("COM&%1").arg(i + 1), m_pGroup);
        m_pPorts->addButton(radio, i);
        groupLayout->addWidget(radio, i, 0);
        m_pDeviceOf[i] = new QLabel(m_pGroup); // the device or address the name stands for
        m_pDeviceOf[i]->setObjectName(QStringLiteral("device%1").arg(i + 1));
        groupLayout->addWidget(m_pDeviceOf[i], i, 1);
    }
    // Which device the chosen name stands for: the devices found, or any path
    // or address typed in (pseudo-terminals are not listed).
    m_pDevice = NewDeviceChoice(m_pGroup, [fieldChosen](const QString&) { fieldChosen(); });
    m_pDevice->setObjectName(QStringLiteral("device"));
    groupLayout->addWidget(NewBuddyLabel(fieldLabel, m_pDevice, m_pGroup), 2, 0, 1, 2);
    groupLayout->addWidget(m_pDevice, 3, 0, 1, 2);

    for (int i = 0; i < CPortNames::kPortCount; ++i)
        m_strDevice[i] =
            m_pDoc->m_pApp ? m_pDoc->m_pApp->m_ports.DevicePath(i) : CPortNames::DefaultPath(i);
    m_nPort = m_pDoc->m_nScopePort;
    m_pPorts->button(m_nPort)->setChecked(true);
    m_pDevice->setCurrentText(m_strDevice[m_nPort]);
    QObject::connect(m_pPorts, &QButtonGroup::idClicked, m_pGroup, std::move(portClicked));
}

void CPortDevices::ChoosePort(int port) {
    m_nPort = port;
    m_pDevice->setCurrentText(m_strDevice[m_nPort]);
}

bool CPortDevices::TakeField() {
    const QString path = m_pDevice->currentText().trimmed();
    if (path.isEmpty() || path == m_strDevice[m_nPort]) return false;
    m_strDevice[m_nPort] = path;
    return true;
}

void CPortDevices::Save() const {
    if (m_pDoc->m_pApp)
        for (int i = 0; i < CPortNames::kPortCount; ++i)
            if (m_strDevice[i] != m_pDoc->m_pApp->m_ports.DevicePath(i))
                m_pDoc->m_pApp->m_ports.SetDevicePath(i, m_strDevice[i]);
    m_pDoc->m_nScopePort = static_cast<std::int16_t>(m_nPort);
}

void CPortDevices::Show() const {
    for (int i = 0; i < CPortNames::kPortCount; ++i)
        m_pDeviceOf[i]->setText(m_strDevice[i]);
}
