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

CLeuzeWindow::CLeuzeWindow(const QString& title, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    m_pMessage = NewMessageField(this, 300, 80);
}

void CLeuzeWindow::Build(std::initializer_list<QWidget*> column) {
    // The monitor lives with the link; this panel only shows its texts.
    auto* monitor = new QGroupBox(QStringLiteral("Connexion au port série"), this);
    m_pReceived = new QLabel(monitor);
    m_pReceived->setObjectName(QStringLiteral("linkReceived"));
    m_pReceived->setWordWrap(true);
    m_pStatus = new QLabel(monitor);
    m_pStatus->setObjectName(QStringLiteral("linkStatus"));
    m_pStatus->setWordWrap(true);
    auto* monitorLayout = new QVBoxLayout(monitor);
    monitorLayout->addWidget(new QLabel(QStringLiteral("Caractères reçus"), monitor));
    monitorLayout->addWidget(m_pReceived);
    monitorLayout->addWidget(m_pStatus);

    auto* left = new QVBoxLayout;
    left->addWidget(m_pMessage, 1);
    left->addWidget(monitor);
    auto* buttons = new QVBoxLayout;
    for (QWidget* widget : column)
        buttons->addWidget(widget);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
}

void CLeuzeWindow::ShowTexts(const QString& message, const CLeuzeLink* link) {
    m_pMessage->setText(message);
    if (!link) return; // closing
    m_pReceived->setText(link->Monitor().m_strReceived);
    m_pStatus->setText(link->Status());
}

CLeuzeConnectDlg::CLeuzeConnectDlg(CZbDoc* doc, LeuzeLinkFactory factory, QWidget* parent)
    : CLeuzeWindow(QStringLiteral("Connexion du lecteur Leuze"), parent),
      m_connection(doc->m_nLeuzePort, std::move(factory)), m_pDoc(doc) {
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
    Build({group, m_pTest, close});

    connect(m_pTest, &QPushButton::clicked, &m_connection, &CLeuzeConnection::Test);
    connect(m_pPorts, &QButtonGroup::idClicked, &m_connection, &CLeuzeConnection::SelectPort);
    connect(close, &QPushButton::clicked, this, &CLeuzeConnectDlg::OnClose);
    connect(&m_connection, &CLeuzeConnection::changed, this, &CLeuzeConnectDlg::ShowControls);
    ShowControls();
}

void CLeuzeConnectDlg::ShowControls() {
    ShowTexts(m_connection.m_strMessage, m_connection.m_pLink.get());
    m_pTest->setEnabled(m_connection.m_bTestEnabled);
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
    : CLeuzeWindow(QStringLiteral("Mise en marche laser"), parent),
      m_laser(factory(doc->m_nLeuzePort)) {
    m_pStart = new QPushButton(this);
    m_pClose = new QPushButton(QStringLiteral("&Fermer"), this);
    Build({m_pStart, m_pClose});

    connect(m_pStart, &QPushButton::clicked, &m_laser, &CLaserControl::Toggle);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_laser, &CLaserControl::changed, this, &CLaserDlg::ShowControls);
    ShowControls();
}

void CLaserDlg::ShowControls() {
    ShowTexts(m_laser.m_strMessage, m_laser.m_pLink.get());
    m_pStart->setText(m_laser.ButtonCaption());
    m_pClose->setEnabled(m_laser.m_bCloseEnabled);
}

void CLaserDlg::done(int result) {
    m_laser.Close();
    QDialog::done(result);
}

CLeuzeReadDlg::CLeuzeReadDlg(CZbDoc* doc, LeuzeLinkFactory factory, QWidget* parent)
    : CLeuzeWindow(QStringLiteral("Lecture codes avec Leuze BCL32"), parent),
      m_reading(doc, factory(doc->m_nLeuzePort)) {
    m_pMessage->setAlignment(Qt::AlignCenter);
    m_pRead = new QPushButton(this);
    m_pClose = new QPushButton(QStringLiteral("&Fermer"), this);
    Build({m_pRead, m_pClose});

    connect(m_pRead, &QPushButton::clicked, &m_reading, &CLeuzeReading::Toggle);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_reading, &CLeuzeReading::changed, this, &CLeuzeReadDlg::ShowControls);
    connect(&m_reading, &CLeuzeReading::redrawRequested, this, &CLeuzeReadDlg::redrawRequested);
    ShowControls();
}

void CLeuzeReadDlg::ShowControls() {
    ShowTexts(m_reading.m_strMessage, m_reading.m_pLink.get());
    m_pRead->setText(m_reading.ButtonCaption());
    m_pClose->setEnabled(m_reading.m_bCloseEnabled);
}

void CLeuzeReadDlg::done(int result) {
    m_reading.Close();
    QDialog::done(result);
}
