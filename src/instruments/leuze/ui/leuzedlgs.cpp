#include "instruments/leuze/ui/leuzedlgs.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"
#include "doc/zbdoc.h"

namespace {

// The monitor of the reader's port under the message: the characters
// received and the status line ("Connecté à COM1:9600,8,'N',1 ..." or the
// connection error). The monitor lives with the link, the panel with the window.
QGroupBox* NewMonitorPanel(QWidget* parent, QLabel** received, QLabel** status) {
    auto* box = new QGroupBox(QStringLiteral("Connexion au port série"), parent);
    *received = new QLabel(box);
    (*received)->setObjectName(QStringLiteral("linkReceived"));
    (*received)->setWordWrap(true);
    *status = new QLabel(box);
    (*status)->setObjectName(QStringLiteral("linkStatus"));
    (*status)->setWordWrap(true);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel(QStringLiteral("Caractères reçus"), box));
    layout->addWidget(*received);
    layout->addWidget(*status);
    return box;
}

void ShowMonitor(const CLeuzeLink* link, QLabel* received, QLabel* status) {
    if (!link) return;
    received->setText(link->Monitor().m_strReceived);
    status->setText(link->Status());
}

// Message and monitor on the left, buttons on the right.
void LayOut(QDialog* dialog, QLabel* message, QGroupBox* monitor, QVBoxLayout* buttons) {
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(message, 1);
    left->addWidget(monitor);
    auto* layout = new QHBoxLayout(dialog);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
}

} // namespace

CLeuzeConnectDlg::CLeuzeConnectDlg(CZbDoc* doc, LeuzeLinkFactory factory, QWidget* parent)
    : QDialog(parent), m_connection(doc->m_nLeuzePort, std::move(factory)), m_pDoc(doc) {
    setWindowTitle(QStringLiteral("Connexion du lecteur Leuze"));
    auto* group = new QGroupBox(QStringLiteral("N° du port"), this);
    m_pPorts = new QButtonGroup(this);
    auto* groupLayout = new QVBoxLayout(group);
    for (int index = 0; index < 2; ++index) {
        auto* radio = new QRadioButton(QStringLiteral("COM&%1").arg(index + 1), group);
        m_pPorts->addButton(radio, index);
        groupLayout->addWidget(radio);
    }
    m_pPorts->button(m_connection.m_nPort == 1 ? 1 : 0)->setChecked(true);
    m_pTest = new QPushButton(QStringLiteral("&Tester"), this);
    auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(group);
    buttons->addWidget(m_pTest);
    buttons->addWidget(close);
    m_pMessage = NewMessageField(this, 300, 80);
    QGroupBox* monitor = NewMonitorPanel(this, &m_pReceived, &m_pStatus);
    LayOut(this, m_pMessage, monitor, buttons);

    connect(m_pTest, &QPushButton::clicked, &m_connection, &CLeuzeConnection::Test);
    connect(m_pPorts, &QButtonGroup::idClicked, &m_connection, &CLeuzeConnection::SelectPort);
    connect(close, &QPushButton::clicked, this, &CLeuzeConnectDlg::OnClose);
    connect(&m_connection, &CLeuzeConnection::changed, this, &CLeuzeConnectDlg::ShowControls);
    ShowControls();
}

void CLeuzeConnectDlg::ShowControls() {
    m_pMessage->setText(m_connection.m_strMessage);
    m_pTest->setEnabled(m_connection.m_bTestEnabled);
    ShowMonitor(m_connection.m_pLink.get(), m_pReceived, m_pStatus);
}

void CLeuzeConnectDlg::OnClose() {
    m_pDoc->m_nLeuzePort = static_cast<std::int16_t>(m_connection.Close());
    accept();
}

void CLeuzeConnectDlg::done(int result) {
    m_connection.Close();
    QDialog::done(result);
}

CLaserDlg::CLaserDlg(CZbDoc* doc, LeuzeLinkFactory factory, QWidget* parent)
    : QDialog(parent), m_laser(factory(doc->m_nLeuzePort)) {
    setWindowTitle(QStringLiteral("Mise en marche laser"));
    m_pStart = new QPushButton(this);
    m_pClose = new QPushButton(QStringLiteral("&Fermer"), this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pStart);
    buttons->addWidget(m_pClose);
    m_pMessage = NewMessageField(this, 240, 60);
    QGroupBox* monitor = NewMonitorPanel(this, &m_pReceived, &m_pStatus);
    LayOut(this, m_pMessage, monitor, buttons);

    connect(m_pStart, &QPushButton::clicked, &m_laser, &CLaserControl::Toggle);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_laser, &CLaserControl::changed, this, &CLaserDlg::ShowControls);
    ShowControls();
}

void CLaserDlg::ShowControls() {
    m_pMessage->setText(m_laser.m_strMessage);
    m_pStart->setText(m_laser.ButtonCaption());
    m_pClose->setEnabled(m_laser.m_bCloseEnabled);
    ShowMonitor(m_laser.m_pLink.get(), m_pReceived, m_pStatus);
}

void CLaserDlg::done(int result) {
    m_laser.Close();
    QDialog::done(result);
}

CLeuzeReadDlg::CLeuzeReadDlg(CZbDoc* doc, LeuzeLinkFactory factory, QWidget* parent)
    : QDialog(parent), m_reading(doc, factory(doc->m_nLeuzePort)) {
    setWindowTitle(QStringLiteral("Lecture codes avec Leuze BCL32"));
    m_pRead = new QPushButton(this);
    m_pClose = new QPushButton(QStringLiteral("&Fermer"), this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pRead);
    buttons->addWidget(m_pClose);
    m_pMessage = NewMessageField(this, 240, 60);
    m_pMessage->setAlignment(Qt::AlignCenter);
    QGroupBox* monitor = NewMonitorPanel(this, &m_pReceived, &m_pStatus);
    LayOut(this, m_pMessage, monitor, buttons);

    connect(m_pRead, &QPushButton::clicked, &m_reading, &CLeuzeReading::Toggle);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_reading, &CLeuzeReading::changed, this, &CLeuzeReadDlg::ShowControls);
    connect(&m_reading, &CLeuzeReading::redrawRequested, this, &CLeuzeReadDlg::redrawRequested);
    ShowControls();
}

void CLeuzeReadDlg::ShowControls() {
    m_pMessage->setText(m_reading.m_strMessage);
    m_pRead->setText(m_reading.ButtonCaption());
    m_pClose->setEnabled(m_reading.m_bCloseEnabled);
    ShowMonitor(m_reading.m_pLink.get(), m_pReceived, m_pStatus);
}

void CLeuzeReadDlg::done(int result) {
    m_reading.Close();
    QDialog::done(result);
}
