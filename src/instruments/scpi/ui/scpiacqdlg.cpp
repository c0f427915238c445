#include "instruments/scpi/ui/scpiacqdlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/ui/gdsdialogparts.h"
#include "instruments/scpi/scpicontroller.h"

CScpiAcqDlg::CScpiAcqDlg(CZbDoc* doc, QWidget* parent)
    : CScpiAcqDlg(doc, std::make_unique<CScpiAcqController>(doc), parent) {}

CScpiAcqDlg::CScpiAcqDlg(CZbDoc* doc, std::unique_ptr<CScpiAcqController> controller,
                         QWidget* parent)
    : QDialog(parent), m_pDoc(doc), m_pController(std::move(controller)) {
    setWindowTitle(QStringLiteral("Acquisition oscilloscope USB/Ethernet"));

    auto* group = new QGroupBox(QStringLiteral("Origine données"), this);
    auto* groupLayout = new QVBoxLayout(group);
    for (int k = 0; k < 2; ++k) {
        m_pBox[k] = new QCheckBox(QStringLiteral("Voie &%1").arg(k + 1), group);
        groupLayout->addWidget(m_pBox[k]);
    }
    m_pAcquire = new QPushButton(QStringLiteral("&Acquérir"), this);
    m_pClose = new QPushButton(QStringLiteral("&Fermer"), this);
    m_pMessage = NewMessageField(this, 300, 90);
    LayOutGdsDialog(this, group, {m_pAcquire, m_pClose}, m_pMessage);

    connect(m_pController.get(), &CScpiAcqController::changed, this, &CScpiAcqDlg::ShowControls);
    connect(m_pController.get(), &CScpiAcqController::redrawRequested, this,
            &CScpiAcqDlg::redrawRequested);
    for (int k = 0; k < 2; ++k)
        connect(m_pBox[k], &QCheckBox::clicked, this,
                [this, k](bool checked) { m_pController->SetChannel(k + 1, checked); });
    connect(m_pAcquire, &QPushButton::clicked, this, [this] { m_pController->Acquire(); });
    connect(m_pClose, &QPushButton::clicked, this, &CScpiAcqDlg::OnClose);
    m_pController->Open();
}

CScpiAcqDlg::~CScpiAcqDlg() = default;

void CScpiAcqDlg::ShowControls() {
    const CScpiAcquisition& acquisition = m_pController->Acquisition();
    for (int k = 0; k < 2; ++k) {
        m_pBox[k]->setChecked(acquisition.Checked(k + 1));
        m_pBox[k]->setEnabled(acquisition.Enabled(k + 1));
    }
    m_pAcquire->setEnabled(acquisition.m_bAcquireEnabled);
    m_pClose->setEnabled(acquisition.m_bCloseEnabled);
    if (m_pMessage->text() != acquisition.m_strMessage)
        m_pMessage->setText(acquisition.m_strMessage);
}

void CScpiAcqDlg::OnClose() {
    m_pController->Close();
    accept();
}

void CScpiAcqDlg::reject() {
    // While an acquisition runs ("&Fermer" disabled) Escape and the close box
    // stop it: a deep memory or a scope that keeps sending cannot hold the window.
    if (!m_pController->Acquisition().m_bCloseEnabled) m_pController->Abandon();
    OnClose();
}
