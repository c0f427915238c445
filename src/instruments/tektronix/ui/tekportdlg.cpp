#include "instruments/tektronix/ui/tekportdlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"
#include "instruments/serial/portnames.h"
#include "instruments/serial/ui/devicechoice.h"
#include "instruments/serial/ui/serialmonitordlg.h"

CTekPortDlg::CTekPortDlg(CZbDoc* doc, QWidget* parent) : QDialog(parent), m_session(doc) {
    setWindowTitle(QStringLiteral("Définition port série Tektronix"));

    // Each name with the device it stands for: the serial ports found here,
    // or any path typed in (pseudo-terminals are not listed).
    auto* group = new QGroupBox(QStringLiteral("N° du port"), this);
    auto* grid = new QGridLayout(group);
    m_pPorts = new QButtonGroup(this);
    for (int i = 0; i < CPortNames::kPortCount; ++i) {
        auto* radio = new QRadioButton(QStringLiteral("COM&%1").arg(i + 1), group);
        m_pPorts->addButton(radio, i);
        m_pDevice[i] = NewDeviceChoice(group, [this, i](const QString&) { OnDevice(i); });
        m_pDevice[i]->setObjectName(QStringLiteral("device%1").arg(i + 1));
        m_pDevice[i]->setToolTip(QStringLiteral("Périphérique désigné par COM%1").arg(i + 1));
        grid->addWidget(radio, i, 0);
        grid->addWidget(m_pDevice[i], i, 1);
    }

    m_pTest = new QPushButton(QStringLiteral("&Tester"), this);
    m_pOk = new QPushButton(QStringLiteral("&OK"), this);
    auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
    m_pOk->setAutoDefault(false);
    m_pTest->setAutoDefault(false);
    quit->setAutoDefault(false);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_pTest, m_pOk, quit})
        buttons->addWidget(button);
    buttons->addStretch();

    m_pMessage = NewMessageField(this, 300, 70);
    auto* top = new QHBoxLayout;
    top->addWidget(group, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pMessage, 1);

    m_timer.setInterval(CTekPortSession::kTickMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CTekPortDlg::OnTick);
    connect(m_pPorts, &QButtonGroup::idClicked, this, &CTekPortDlg::OnPort);
    connect(m_pTest, &QPushButton::clicked, this, &CTekPortDlg::OnTest);
    connect(m_pOk, &QPushButton::clicked, this, &CTekPortDlg::OnOk);
    connect(quit, &QPushButton::clicked, this, &CTekPortDlg::reject);

    m_session.Open();
    ShowMonitor();
    ShowControls();
}

CTekPortDlg::~CTekPortDlg() {
    m_timer.stop();
}

void CTekPortDlg::ReadControls() {
    if (QAbstractButton* checked = m_pPorts->checkedButton())
        m_session.m_nPort = m_pPorts->id(checked);
}

void CTekPortDlg::ShowControls() {
    if (QAbstractButton* radio = m_pPorts->button(m_session.m_nPort)) radio->setChecked(true);
    for (int i = 0; i < CPortNames::kPortCount; ++i)
        if (!m_pDevice[i]->hasFocus()) m_pDevice[i]->setEditText(m_session.DevicePath(i));
    m_pTest->setEnabled(m_session.m_bTestEnabled);
    m_pOk->setEnabled(m_session.m_bOkEnabled);
    m_pMessage->setText(m_session.m_strMessage);
}

void CTekPortDlg::ShowMonitor() {
    if (CTekLink* link = m_session.Link()) new CSerialMonitorDlg(link, this);
}

void CTekPortDlg::OnPort(int) {
    m_timer.stop();
    ReadControls();
    m_session.PortClicked();
    ShowMonitor();
    ShowControls();
}

void CTekPortDlg::OnDevice(int index) {
    if (m_session.SetDevice(index, m_pDevice[index]->currentText().trimmed())) {
        m_timer.stop();
        ShowMonitor();
    }
    ShowControls();
}

void CTekPortDlg::OnTest() {
    ReadControls();
    m_session.Test();
    if (m_session.TimerRunning()) m_timer.start();
    ShowControls();
}

void CTekPortDlg::OnTick() {
    m_session.Tick();
    if (m_session.TimerRunning()) return;
    m_timer.stop();
    ShowControls();
}

void CTekPortDlg::OnOk() {
    m_timer.stop();
    ReadControls();
    m_session.Ok();
    accept();
}

void CTekPortDlg::reject() {
    m_timer.stop();
    m_session.Quit();
    QDialog::reject();
}
