#include "instruments/scpi/ui/scpiportdlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "common/ui/dialogparts.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/ui/gdsdialogparts.h"
#include "instruments/scpi/scpilink.h"
#include "instruments/serial/ui/devicechoice.h"

CScpiPortDlg::CScpiPortDlg(CZbDoc* doc, QWidget* parent)
    : QDialog(parent), m_pDoc(doc), m_identify(doc->m_nScopePort) {
    setWindowTitle(QStringLiteral("Connexion oscilloscope USB/Ethernet"));

    auto* group = new QGroupBox(QStringLiteral("N° du port"), this);
    m_pPorts = new QButtonGroup(this);
    auto* groupLayout = new QGridLayout(group);
    for (int i = 0; i < CPortNames::kPortCount; ++i) {
        auto* radio = new QRadioButton(QStringLiteral("COM&%1").arg(i + 1), group);
        m_pPorts->addButton(radio, i);
        groupLayout->addWidget(radio, i, 0);
        m_pDeviceOf[i] = new QLabel(group); // the device or address the name stands for
        m_pDeviceOf[i]->setObjectName(QStringLiteral("device%1").arg(i + 1));
        groupLayout->addWidget(m_pDeviceOf[i], i, 1);
    }
    // A device (/dev/usbtmc0, a serial port) or a network address typed in.
    m_pDevice = NewDeviceChoice(group, [this](const QString&) { OnDevice(); });
    m_pDevice->setObjectName(QStringLiteral("device"));
    m_pDevice->setToolTip(QStringLiteral("Périphérique (/dev/usbtmc0) ou adresse réseau "
                                         "(192.168.0.20:5555)"));
    groupLayout->addWidget(
        NewBuddyLabel(QStringLiteral("&Périphérique ou adresse :"), m_pDevice, group), 2, 0, 1, 2);
    groupLayout->addWidget(m_pDevice, 3, 0, 1, 2);

    m_pTest = new QPushButton(QStringLiteral("&Tester"), this);
    m_pOk = new QPushButton(QStringLiteral("&OK"), this);
    auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
    m_pMessage = NewMessageField(this, 300, 80);
    LayOutGdsDialog(this, group, {m_pTest, m_pOk, quit}, m_pMessage);

    for (int i = 0; i < CPortNames::kPortCount; ++i)
        m_strDevice[i] =
            m_pDoc->m_pApp ? m_pDoc->m_pApp->m_ports.DevicePath(i) : CPortNames::DefaultPath(i);
    m_nPort = m_pDoc->m_nScopePort;
    m_pPorts->button(m_nPort)->setChecked(true);
    m_pDevice->setCurrentText(m_strDevice[m_nPort]);
    OpenLink();
    ShowControls();

    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CScpiPortDlg::OnTick);
    connect(m_pPorts, &QButtonGroup::idClicked, this, &CScpiPortDlg::OnPort);
    connect(m_pTest, &QPushButton::clicked, this, &CScpiPortDlg::OnTest);
    connect(m_pOk, &QPushButton::clicked, this, &CScpiPortDlg::OnOk);
    connect(quit, &QPushButton::clicked, this, &CScpiPortDlg::reject);
}

CScpiPortDlg::~CScpiPortDlg() {
    CloseLink();
}

void CScpiPortDlg::OpenLink() {
    m_pLink = std::make_unique<CScpiLink>(m_nPort, m_strDevice[m_nPort]);
    connect(m_pLink.get(), &CScpiLink::Received, this, [this](const QByteArray& bytes) {
        m_identify.Receive(bytes);
        if (!m_identify.Waiting()) OnTick();
    });
    connect(m_pLink.get(), &CScpiLink::Lost, this, [this](const QString& reason) {
        m_identify.Cancel();
        m_timer.stop();
        m_identify.m_bTestEnabled = true;
        m_identify.m_bOkEnabled = false;
        m_identify.m_strMessage =
            QStringLiteral("Erreur de connexion au port COM%1 !\n%2").arg(m_nPort + 1).arg(reason);
        ShowControls();
    });
}

void CScpiPortDlg::CloseLink() {
    m_timer.stop();
    m_identify.Cancel();
    m_pLink.reset();
}

void CScpiPortDlg::OnPort(int index) {
    CloseLink();
    m_nPort = index;
    m_identify.m_nPort = index;
    m_pDevice->setCurrentText(m_strDevice[m_nPort]);
    OpenLink();
    m_identify.m_bTestEnabled = true;
    ShowControls();
}

void CScpiPortDlg::OnDevice() {
    const QString path = m_pDevice->currentText().trimmed();
    if (path.isEmpty() || path == m_strDevice[m_nPort]) return;
    m_strDevice[m_nPort] = path;
    CloseLink();
    OpenLink();
    m_identify.m_bTestEnabled = true;
    ShowControls();
}

void CScpiPortDlg::OnTest() {
    OnDevice(); // a device typed but not yet confirmed is the one to test
    if (!m_pLink->IsOpen()) {
        // Opened anew: the device may have been plugged in since.
        CloseLink();
        OpenLink();
    }
    if (!m_pLink->IsOpen()) {
        m_identify.m_bOkEnabled = false;
        m_identify.m_strMessage = QStringLiteral("Erreur de connexion au port COM%1 !\n%2")
                                      .arg(m_nPort + 1)
                                      .arg(m_pLink->Failure());
        ShowControls();
        return;
    }
    m_identify.Test([this](const QByteArray& command) { return m_pLink->Send(command); });
    if (m_identify.Waiting()) m_timer.start(CScpiIdentify::kTickMs);
    ShowControls();
}

void CScpiPortDlg::OnTick() {
    m_identify.Tick();
    if (m_identify.Waiting()) return;
    m_timer.stop();
    ShowControls();
}

void CScpiPortDlg::OnOk() {
    OnDevice();
    CloseLink();
    if (m_pDoc->m_pApp)
        for (int i = 0; i < CPortNames::kPortCount; ++i)
            if (m_strDevice[i] != m_pDoc->m_pApp->m_ports.DevicePath(i))
                m_pDoc->m_pApp->m_ports.SetDevicePath(i, m_strDevice[i]);
    m_pDoc->m_nScopePort = static_cast<std::int16_t>(m_nPort);
    accept();
}

void CScpiPortDlg::reject() {
    CloseLink();
    QDialog::reject();
}

void CScpiPortDlg::ShowControls() {
    for (int i = 0; i < CPortNames::kPortCount; ++i)
        m_pDeviceOf[i]->setText(m_strDevice[i]);
    m_pMessage->setText(m_identify.m_strMessage);
    m_pTest->setEnabled(m_identify.m_bTestEnabled);
    m_pOk->setEnabled(m_identify.m_bOkEnabled);
}
