#include "instruments/tektronix/ui/tekacqdlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"
#include "instruments/serial/ui/serialmonitordlg.h"

CTekAcqDlg::CTekAcqDlg(CZbDoc* doc, QWidget* parent) : QDialog(parent), m_controller(doc) {
    setWindowTitle(QStringLiteral("Acquisition spectre Tektronix"));

    auto* typeBox = new QGroupBox(QStringLiteral("Type oscillo"), this);
    auto* typeLayout = new QVBoxLayout(typeBox);
    m_pType = new QButtonGroup(this);
    const char* const typeNames[] = {"TDS &XXX", "TDS &3XX"};
    for (int id = 0; id < 2; ++id) {
        m_pTypeRadio[id] = new QRadioButton(QString::fromUtf8(typeNames[id]), typeBox);
        m_pType->addButton(m_pTypeRadio[id], id);
        typeLayout->addWidget(m_pTypeRadio[id]);
    }
    typeLayout->addStretch();

    auto* sourceBox = new QGroupBox(QStringLiteral("Origine données"), this);
    auto* sourceLayout = new QVBoxLayout(sourceBox);
    for (int i = 0; i < kTekSourceCount; ++i) {
        m_pSource[i] = new QCheckBox(QString::fromUtf8(kTekSources[i].box), sourceBox);
        sourceLayout->addWidget(m_pSource[i]);
        connect(m_pSource[i], &QCheckBox::clicked, this, &CTekAcqDlg::OnSource);
    }
    m_pExtra = new QCheckBox(QStringLiteral("&Acq. paramètres complémentaires"), this);
    m_pExtra->hide(); // never shown, its value unused

    m_pAcquire = new QPushButton(QStringLiteral("&Acquérir"), this);
    m_pClose = new QPushButton(QStringLiteral("&Fermer"), this);
    m_pAcquire->setAutoDefault(false);
    m_pClose->setAutoDefault(false);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pAcquire);
    buttons->addWidget(m_pClose);
    buttons->addStretch();

    m_pMessage = NewMessageField(this, 380, 90);
    auto* top = new QHBoxLayout;
    top->addWidget(typeBox);
    top->addWidget(sourceBox);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pExtra);
    layout->addWidget(m_pMessage, 1);

    connect(m_pAcquire, &QPushButton::clicked, this, &CTekAcqDlg::OnAcquire);
    connect(m_pClose, &QPushButton::clicked, this, &CTekAcqDlg::OnClose);
    connect(&m_controller, &CTekAcqController::fieldsChanged, this, &CTekAcqDlg::ShowControls);
    connect(&m_controller, &CTekAcqController::redrawRequested, this, &CTekAcqDlg::redrawRequested);
    connect(&m_controller, &CTekAcqController::messageBox, this, [this](const QString& text) {
        QMessageBox::information(this, QStringLiteral("Logiciel Lineatix"), text, QMessageBox::Ok);
    });

    new CSerialMonitorDlg(m_controller.Link(), this);
    m_controller.Open();
}

void CTekAcqDlg::ReadControls() {
    CTekAcquisition& acquisition = m_controller.m_acquisition;
    QAbstractButton* type = m_pType->checkedButton();
    acquisition.m_nType = type ? m_pType->id(type) : -1;
    for (int i = 0; i < kTekSourceCount; ++i)
        acquisition.SetChecked(i, m_pSource[i]->isChecked());
    acquisition.m_bExtra = m_pExtra->isChecked();
}

void CTekAcqDlg::ShowControls() {
    const CTekAcquisition& acquisition = m_controller.m_acquisition;
    // No radio checked stands for "no type": the group lets go of its choice meanwhile.
    m_pType->setExclusive(false);
    for (int id = 0; id < 2; ++id) {
        m_pTypeRadio[id]->setChecked(acquisition.m_nType == id);
        m_pTypeRadio[id]->setEnabled(acquisition.m_bTypeEnabled);
    }
    m_pType->setExclusive(true);
    for (int i = 0; i < kTekSourceCount; ++i) {
        m_pSource[i]->setChecked(acquisition.IsChecked(i));
        m_pSource[i]->setEnabled(acquisition.m_bSourceEnabled[i]);
    }
    m_pExtra->setChecked(acquisition.m_bExtra);
    m_pExtra->setEnabled(acquisition.m_bTypeEnabled);
    m_pAcquire->setEnabled(acquisition.m_bAcquireEnabled);
    m_pClose->setEnabled(acquisition.m_bCloseEnabled);
    m_pMessage->setText(acquisition.m_strMessage);
}

void CTekAcqDlg::OnSource() {
    ReadControls();
    m_controller.SourceClicked();
}

void CTekAcqDlg::OnAcquire() {
    ReadControls();
    m_controller.Acquire();
    ShowControls();
}

void CTekAcqDlg::OnClose() {
    m_controller.CloseLink();
    accept();
}

void CTekAcqDlg::reject() {
    // Esc and the title bar's close act as "&Fermer"; while an acquisition
    // runs ("&Fermer" disabled) they stop it, so that a scope that never ends
    // its reply cannot hold the window.
    if (!m_pClose->isEnabled()) m_controller.Abandon();
    OnClose();
}
