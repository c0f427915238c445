#include "instruments/gwinstek/ui/gdsacqdlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/gdscontroller.h"
#include "instruments/gwinstek/ui/gdsdialogparts.h"

namespace {

constexpr std::int16_t kBoxBits[4] = {1, 2, 4, 8};
const char* const kBoxTexts[4] = {"Voie &1", "Voie &2", "&Mem1", "M&em2"};

} // namespace

CGdsAcqDlg::CGdsAcqDlg(CZbDoc* doc, QWidget* parent) : QDialog(parent), m_pDoc(doc) {
    setWindowTitle(QStringLiteral("Acquisition spectre GDS-820C"));

    auto* group = new QGroupBox(QStringLiteral("Origine données"), this);
    auto* groupLayout = new QVBoxLayout(group);
    for (int k = 0; k < 4; ++k) {
        m_pBox[k] = new QCheckBox(QString::fromUtf8(kBoxTexts[k]), group);
        groupLayout->addWidget(m_pBox[k]);
    }
    // The memories are never offered; only a stored mask checks them.
    m_pBox[2]->hide();
    m_pBox[3]->hide();

    m_pAcquire = new QPushButton(QStringLiteral("&Acquérir"), this);
    m_pClose = new QPushButton(QStringLiteral("&Fermer"), this);
    m_pMessage = NewMessageField(this, 300, 90);
    LayOutGdsDialog(this, group, {m_pAcquire, m_pClose}, m_pMessage);

    m_pController = std::make_unique<CGdsAcqController>(doc);
    ShowCaptureMonitor(m_pController->Link(), this);
    connect(m_pController.get(), &CGdsAcqController::changed, this, &CGdsAcqDlg::ShowControls);
    connect(m_pController.get(), &CGdsAcqController::messageBox, this, &CGdsAcqDlg::ShowMessageBox);
    connect(m_pController.get(), &CGdsAcqController::redrawRequested, this,
            &CGdsAcqDlg::redrawRequested);
    for (int k = 0; k < 4; ++k) {
        const std::int16_t bit = kBoxBits[k];
        connect(m_pBox[k], &QCheckBox::clicked, this,
                [this, bit](bool checked) { m_pController->SetSource(bit, checked); });
    }
    connect(m_pAcquire, &QPushButton::clicked, this, [this] { m_pController->Acquire(); });
    connect(m_pClose, &QPushButton::clicked, this, &CGdsAcqDlg::OnClose);
    m_pController->Open();
}

CGdsAcqDlg::~CGdsAcqDlg() = default;

void CGdsAcqDlg::ShowControls() {
    const CGdsAcquisition& acquisition = m_pController->Acquisition();
    for (int k = 0; k < 4; ++k) {
        m_pBox[k]->setChecked(acquisition.Checked(kBoxBits[k]));
        m_pBox[k]->setEnabled(acquisition.Enabled(kBoxBits[k]));
    }
    m_pAcquire->setEnabled(acquisition.m_bAcquireEnabled);
    m_pClose->setEnabled(acquisition.m_bCloseEnabled);
    if (m_pMessage->text() != acquisition.m_strMessage)
        m_pMessage->setText(acquisition.m_strMessage);
}

void CGdsAcqDlg::ShowMessageBox(const QString& text) {
    QMessageBox::information(this, QStringLiteral("Logiciel Lineatix"), text, QMessageBox::Ok);
}

void CGdsAcqDlg::OnClose() {
    m_pController->Close();
    accept();
}

void CGdsAcqDlg::reject() {
    // While an acquisition runs ("&Fermer" disabled) Escape and the close box
    // stop it: a scope that never ends its reply cannot hold the window.
    if (!m_pController->Acquisition().m_bCloseEnabled) m_pController->Abandon();
    OnClose();
}
