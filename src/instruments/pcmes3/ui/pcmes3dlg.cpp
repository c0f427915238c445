#include "instruments/pcmes3/ui/pcmes3dlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"

CPcMes3Dlg::CPcMes3Dlg(CZbDoc* doc, CZbApp* app, std::unique_ptr<CIoPorts> ports, QWidget* parent)
    : QDialog(parent), m_acquisition(doc, app, std::move(ports)) {
    setWindowTitle(QStringLiteral("Acquisition numérique PC-MES3"));

    auto* modes = new QGroupBox(QStringLiteral("Mode"), this);
    m_pRun = new QRadioButton(QStringLiteral("&Run"), modes);
    m_pDebug = new QRadioButton(QStringLiteral("&Debug"), modes);
    auto* modesLayout = new QVBoxLayout(modes);
    modesLayout->addWidget(m_pRun);
    modesLayout->addWidget(m_pDebug);

    m_pAcquire = new QPushButton(QStringLiteral("&Acquérir"), this);
    m_pStep = new QPushButton(QStringLiteral("&Acq. pas à pas"), this);
    m_pClose = new QPushButton(QStringLiteral("&Fermer"), this);
    m_pAcquire->setDefault(true);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(modes);
    buttons->addWidget(m_pAcquire);
    buttons->addWidget(m_pStep);
    buttons->addWidget(m_pClose);
    buttons->addStretch();

    m_pMessage = NewMessageField(this, 320, 120);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_pMessage, 1);
    layout->addLayout(buttons);

    m_pRun->setChecked(true);
    connect(m_pRun, &QRadioButton::clicked, &m_acquisition, &CPcMes3Acquisition::SelectRun);
    connect(m_pDebug, &QRadioButton::clicked, &m_acquisition, &CPcMes3Acquisition::SelectDebug);
    connect(m_pAcquire, &QPushButton::clicked, &m_acquisition, &CPcMes3Acquisition::Acquire);
    connect(m_pStep, &QPushButton::clicked, &m_acquisition, &CPcMes3Acquisition::AcquireStep);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_acquisition, &CPcMes3Acquisition::changed, this, &CPcMes3Dlg::ShowControls);
    connect(&m_acquisition, &CPcMes3Acquisition::redrawRequested, this,
            &CPcMes3Dlg::redrawRequested);
    ShowControls();
}

CPcMes3Dlg::~CPcMes3Dlg() = default;

void CPcMes3Dlg::done(int result) {
    m_acquisition.Close();
    QDialog::done(result);
}

void CPcMes3Dlg::ShowControls() {
    const CPcMes3Acquisition& a = m_acquisition;
    m_pMessage->setText(a.m_strMessage);
    m_pAcquire->setEnabled(a.m_bAcquireEnabled);
    m_pStep->setEnabled(a.m_bStepEnabled);
    m_pClose->setEnabled(a.m_bCloseEnabled);
    m_pRun->setEnabled(a.m_bModesEnabled);
    m_pDebug->setEnabled(a.m_bModesEnabled);
}
