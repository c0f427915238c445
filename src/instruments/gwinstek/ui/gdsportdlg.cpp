#include "instruments/gwinstek/ui/gdsportdlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "common/ui/dialogparts.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/gdslink.h"
#include "instruments/gwinstek/ui/gdsdialogparts.h"

CGdsPortDlg::CGdsPortDlg(CZbDoc* doc, QWidget* parent)
    : QDialog(parent), m_pDoc(doc), m_identify(doc, doc->m_nScopePort),
      m_devices(
          this, doc, QStringLiteral("&Périphérique :"), [this](int index) { OnPort(index); },
          [this] { OnDevice(); }) {
    setWindowTitle(QStringLiteral("Paramètres port série GDS-820C"));

    m_pTest = new QPushButton(QStringLiteral("&Tester"), this);
    m_pOk = new QPushButton(QStringLiteral("&OK"), this);
    auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
    m_pMessage = NewMessageField(this, 300, 80);
    LayOutGdsDialog(this, m_devices.Group(), {m_pTest, m_pOk, quit}, m_pMessage);

    OpenLink();
    m_strMessage = m_identify.m_strMessage;
    ShowControls();

    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CGdsPortDlg::OnTick);
    connect(m_pTest, &QPushButton::clicked, this, &CGdsPortDlg::OnTest);
    connect(m_pOk, &QPushButton::clicked, this, &CGdsPortDlg::OnOk);
    connect(quit, &QPushButton::clicked, this, &CGdsPortDlg::reject);
}

CGdsPortDlg::~CGdsPortDlg() {
    CloseLink();
}

void CGdsPortDlg::OpenLink() {
    m_pLink = std::make_unique<CGdsLink>(m_pDoc, m_devices.Port(), m_devices.Device());
    ShowCaptureMonitor(m_pLink.get(), this);
}

void CGdsPortDlg::CloseLink() {
    m_timer.stop();
    m_identify.Cancel();
    m_pLink.reset();
}

void CGdsPortDlg::OnPort(int index) {
    CloseLink();
    m_identify.m_nPort = index;
    m_devices.ChoosePort(index);
    OpenLink();
    m_identify.m_bTestEnabled = true;
    ShowControls();
}

void CGdsPortDlg::OnDevice() {
    if (!m_devices.TakeField()) return;
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
    m_devices.Save();
    accept();
}

void CGdsPortDlg::reject() {
    CloseLink();
    QDialog::reject();
}

void CGdsPortDlg::ShowControls() {
    m_devices.Show();
    m_pMessage->setText(m_strMessage);
    m_pTest->setEnabled(m_identify.m_bTestEnabled);
    m_pOk->setEnabled(m_identify.m_bOkEnabled);
}
