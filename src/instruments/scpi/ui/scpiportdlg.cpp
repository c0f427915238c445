#include "instruments/scpi/ui/scpiportdlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "common/ui/dialogparts.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/ui/gdsdialogparts.h"
#include "instruments/scpi/scpilink.h"

CScpiPortDlg::CScpiPortDlg(CZbDoc* doc, QWidget* parent)
    : QDialog(parent), m_pDoc(doc), m_identify(doc->m_nScopePort),
      m_devices(
          this, doc, QStringLiteral("&Périphérique ou adresse :"),
          [this](int index) { OnPort(index); }, [this] { OnDevice(); }) {
    setWindowTitle(QStringLiteral("Connexion oscilloscope USB/Ethernet"));

    // A device (/dev/usbtmc0, a serial port) or a network address typed in.
    m_devices.Field()->setToolTip(QStringLiteral("Périphérique (/dev/usbtmc0) ou adresse réseau "
                                                 "(192.168.0.20:5555)"));

    m_pTest = new QPushButton(QStringLiteral("&Tester"), this);
    m_pOk = new QPushButton(QStringLiteral("&OK"), this);
    auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
    m_pMessage = NewMessageField(this, 300, 80);
    LayOutGdsDialog(this, m_devices.Group(), {m_pTest, m_pOk, quit}, m_pMessage);

    OpenLink();
    ShowControls();

    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CScpiPortDlg::OnTick);
    connect(m_pTest, &QPushButton::clicked, this, &CScpiPortDlg::OnTest);
    connect(m_pOk, &QPushButton::clicked, this, &CScpiPortDlg::OnOk);
    connect(quit, &QPushButton::clicked, this, &CScpiPortDlg::reject);
}

CScpiPortDlg::~CScpiPortDlg() {
    CloseLink();
}

void CScpiPortDlg::OpenLink() {
    m_pLink = std::make_unique<CScpiLink>(m_devices.Port(), m_devices.Device());
    connect(m_pLink.get(), &CScpiLink::Received, this, [this](const QByteArray& bytes) {
        m_identify.Receive(bytes);
        if (!m_identify.Waiting()) OnTick();
    });
    connect(m_pLink.get(), &CScpiLink::Lost, this, [this](const QString& reason) {
        m_identify.Cancel();
        m_timer.stop();
        m_identify.m_bTestEnabled = true;
        m_identify.m_bOkEnabled = false;
        m_identify.m_strMessage = QStringLiteral("Erreur de connexion au port COM%1 !\n%2")
                                      .arg(m_devices.Port() + 1)
                                      .arg(reason);
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
    m_identify.m_nPort = index;
    m_devices.ChoosePort(index);
    OpenLink();
    m_identify.m_bTestEnabled = true;
    ShowControls();
}

void CScpiPortDlg::OnDevice() {
    if (!m_devices.TakeField()) return;
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
                                      .arg(m_devices.Port() + 1)
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
    m_devices.Save();
    accept();
}

void CScpiPortDlg::reject() {
    CloseLink();
    QDialog::reject();
}

void CScpiPortDlg::ShowControls() {
    m_devices.Show();
    m_pMessage->setText(m_identify.m_strMessage);
    m_pTest->setEnabled(m_identify.m_bTestEnabled);
    m_pOk->setEnabled(m_identify.m_bOkEnabled);
}
