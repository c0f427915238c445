#include "instruments/gwinstek/ui/gdsportdlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/ui/dialogparts.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/gdslink.h"
#include "instruments/gwinstek/ui/gdsdialogparts.h"
#include "instruments/serial/ui/devicechoice.h"

CGdsPortDlg::CGdsPortDlg(CZbDoc* doc, QWidget* parent)
    : QDialog(parent), m_pDoc(doc), m_identify(doc, doc->m_nScopePort) {
    setWindowTitle(QStringLiteral("Paramètres port série GDS-820C"));

    auto* group = new QGroupBox(QStringLiteral("N° du port"), this);
    m_pPorts = new QButtonGroup(this);
    auto* groupLayout = new QGridLayout(group);
    for (int i = 0; i < CPortNames::kPortCount; ++i) {
        auto* radio = new QRadioButton(QStringLiteral("COM&%1").arg(i + 1), group);
        m_pPorts->addButton(radio, i);
        groupLayout->addWidget(radio, i, 0);
        m_pDeviceOf[i] = new QLabel(group); // the device the name stands for
        m_pDeviceOf[i]->setObjectName(QStringLiteral("device%1").arg(i + 1));
        groupLayout->addWidget(m_pDeviceOf[i], i, 1);
    }
    // Which device each name stands for: the serial ports found, or any path
    // typed in (pseudo-terminals are not listed).
    m_pDevice = NewDeviceChoice(group, [this](const QString&) { OnDevice(); });
    m_pDevice->setObjectName(QStringLiteral("device"));
    groupLayout->addWidget(NewBuddyLabel(QStringLiteral("&Périphérique :"), m_pDevice, group), 2, 0,
                           1, 2);
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
    m_strMessage = m_identify.m_strMessage;
    ShowControls();

    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CGdsPortDlg::OnTick);
    connect(m_pPorts, &QButtonGroup::idClicked, this, &CGdsPortDlg::OnPort);
    connect(m_pTest, &QPushButton::clicked, this, &CGdsPortDlg::OnTest);
    connect(m_pOk, &QPushButton::clicked, this, &CGdsPortDlg::OnOk);
    connect(quit, &QPushButton::clicked, this, &CGdsPortDlg::reject);
}

CGdsPortDlg::~CGdsPortDlg() {
    CloseLink();
}

void CGdsPortDlg::OpenLink() {
    m_pLink = std::make_unique<CGdsLink>(m_pDoc, m_nPort, m_strDevice[m_nPort]);
    ShowCaptureMonitor(m_pLink.get(), this);
}

void CGdsPortDlg::CloseLink() {
    m_timer.stop();
    m_identify.Cancel();
    m_pLink.reset();
}

void CGdsPortDlg::OnPort(int index) {
    CloseLink();
    m_nPort = index;
    m_identify.m_nPort = index;
    m_pDevice->setCurrentText(m_strDevice[m_nPort]);
    OpenLink();
    m_identify.m_bTestEnabled = true;
    ShowControls();
}

void CGdsPortDlg::OnDevice() {
    const QString path = m_pDevice->currentText().trimmed();
    if (path.isEmpty() || path == m_strDevice[m_nPort]) return;
    m_strDevice[m_nPort] = path;
    CloseLink();
    OpenLink();
    m_identify.m_bTestEnabled = true;
    ShowControls();
}

void CGdsPortDlg::OnTest() {
    OnDevice(); // a path typed but not yet confirmed is the one to test
    m_identify.Test(m_pLink.get());
    m_nTicks = 0;
    m_timer.start(kTickMs);
    ShowControls();
}

void CGdsPortDlg::OnTick() {
    const bool done = m_identify.Tick(m_pLink.get());
    m_nTicks = m_identify.m_nTicks;
    if (!done) return;
    m_timer.stop();
    m_strMessage = m_identify.m_strMessage;
    ShowControls();
    emit redrawRequested(); // reading the reply dropped the samples shown
}

void CGdsPortDlg::OnOk() {
    OnDevice();
    CloseLink();
    if (m_pDoc->m_pApp)
        for (int i = 0; i < CPortNames::kPortCount; ++i)
            if (m_strDevice[i] != m_pDoc->m_pApp->m_ports.DevicePath(i))
                m_pDoc->m_pApp->m_ports.SetDevicePath(i, m_strDevice[i]);
    m_pDoc->m_nScopePort = static_cast<std::int16_t>(m_nPort);
    accept();
}

void CGdsPortDlg::reject() {
    CloseLink();
    QDialog::reject();
}

void CGdsPortDlg::ShowControls() {
    for (int i = 0; i < CPortNames::kPortCount; ++i)
        m_pDeviceOf[i]->setText(m_strDevice[i]);
    m_pMessage->setText(m_strMessage);
    m_pTest->setEnabled(m_identify.m_bTestEnabled);
    m_pOk->setEnabled(m_identify.m_bOkEnabled);
}
