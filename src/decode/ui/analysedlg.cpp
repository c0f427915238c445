#include "decode/ui/analysedlg.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"
#include "common/ui/numberfield.h"
#include "doc/zbdoc.h"

CAnalyseDlg::CAnalyseDlg(CZbDoc* doc, CZbApp* app, QWidget* parent)
    : QDialog(parent), m_analysis(doc), m_pApp(app) {
    setWindowTitle(QStringLiteral("Analyse du code"));

    m_pChannels = new QButtonGroup(this);
    QGroupBox* channelsBox = NewScanChannelGroup(this, m_pChannels);

    m_pURefEdit = NewRealEdit(this, "uRef");
    m_pTEdit = NewRealEdit(this, "t");
    m_pEEdit = NewRealEdit(this, "e");
    auto* edits = new QFormLayout;
    edits->addRow(NewBuddyLabel(QStringLiteral("&URef(V):"), m_pURefEdit, this), m_pURefEdit);
    edits->addRow(NewBuddyLabel(QStringLiteral("&T(s):"), m_pTEdit, this), m_pTEdit);
    edits->addRow(NewBuddyLabel(QStringLiteral("&E(s):"), m_pEEdit, this), m_pEEdit);

    m_pGenerate = new QPushButton(QStringLiteral("&Générer fronts"), this);
    m_pConfirm = new QPushButton(QStringLiteral("&Confirmer T&&E"), this);
    m_pAnalyse = new QPushButton(QStringLiteral("&Analyser code"), this);
    auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_pGenerate, m_pConfirm, m_pAnalyse, close})
        buttons->addWidget(button);
    buttons->addStretch();

    m_pMessage = NewMessageField(this, 320, 110);

    auto* top = new QHBoxLayout;
    top->addWidget(channelsBox);
    top->addLayout(edits);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pMessage, 1);

    m_analysis.SetMessageHandler([this](const QString& text) { ShowMessageBox(text); });
    ShowControls();

    connect(m_pChannels, &QButtonGroup::idClicked, this, &CAnalyseDlg::OnChannel);
    connect(m_pGenerate, &QPushButton::clicked, this, &CAnalyseDlg::OnGenerate);
    connect(m_pConfirm, &QPushButton::clicked, this, &CAnalyseDlg::OnConfirm);
    connect(m_pAnalyse, &QPushButton::clicked, this, &CAnalyseDlg::OnAnalyse);
    connect(close, &QPushButton::clicked, this, &CAnalyseDlg::OnClose);
}

void CAnalyseDlg::ReadControls() {
    m_analysis.m_fURef = ReadRealField(m_pURefEdit, m_analysis.m_fURef);
    m_analysis.m_fTWidth = ReadRealField(m_pTEdit, m_analysis.m_fTWidth);
    m_analysis.m_fEWidth = ReadRealField(m_pEEdit, m_analysis.m_fEWidth);
    if (QAbstractButton* checked = m_pChannels->checkedButton())
        m_analysis.m_nChannel = m_pChannels->id(checked);
}

void CAnalyseDlg::ShowControls() {
    ShowRealField(m_pURefEdit, m_analysis.m_fURef);
    ShowRealField(m_pTEdit, m_analysis.m_fTWidth);
    ShowRealField(m_pEEdit, m_analysis.m_fEWidth);
    if (QAbstractButton* radio = m_pChannels->button(m_analysis.m_nChannel))
        radio->setChecked(true);
    for (int i = 0; i < kScanChannels; ++i)
        m_pChannels->button(i)->setEnabled(m_analysis.IsChannelEnabled(i));
    m_pURefEdit->setEnabled(m_analysis.IsURefEditable());
    m_pTEdit->setEnabled(m_analysis.AreWidthsEditable());
    m_pEEdit->setEnabled(m_analysis.AreWidthsEditable());
    m_pGenerate->setEnabled(m_analysis.CanGenerate());
    m_pConfirm->setEnabled(m_analysis.CanConfirm());
    m_pAnalyse->setEnabled(m_analysis.CanAnalyse());
    m_pMessage->setText(m_analysis.m_strMessage);
}

void CAnalyseDlg::ShowMessageBox(const QString& text) {
    QMessageBox::information(this, QStringLiteral("Logiciel Lineatix"), text, QMessageBox::Ok);
}

void CAnalyseDlg::OnChannel(int index) {
    ReadControls();
    m_analysis.SelectChannel(index);
    ShowControls();
}

void CAnalyseDlg::OnGenerate() {
    ReadControls();
    m_analysis.Generate();
    ShowControls();
    emit redrawRequested();
}

void CAnalyseDlg::OnConfirm() {
    ReadControls();
    m_analysis.Confirm();
    ShowControls();
}

void CAnalyseDlg::OnAnalyse() {
    ReadControls();
    m_analysis.Analyse();
    ShowControls();
    emit redrawRequested(); // the code, and the title after a success
}

void CAnalyseDlg::OnClose() {
    if (!m_bClosed) {
        m_bClosed = true;
        m_analysis.Close(m_pApp);
        emit redrawRequested();
    }
    accept();
}

// Escape and the close box end the dialog as "&Fermer" does.
void CAnalyseDlg::reject() {
    OnClose();
}
