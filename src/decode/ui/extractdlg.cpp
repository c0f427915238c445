#include "decode/ui/extractdlg.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/format.h"
#include "common/ui/dialogparts.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

CExtractDlg::CExtractDlg(CZbDoc* doc, CZbApp* app, QWidget* parent) : QDialog(parent), m_pApp(app) {
    setWindowTitle(QStringLiteral("Extraction code barre"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_pChannels = new QButtonGroup(this);
    QGroupBox* channelsBox = NewScanChannelGroup(this, m_pChannels);

    m_pMessage = NewMessageField(this, 320, 90);

    auto* extract = new QPushButton(QStringLiteral("&Extraire"), this);
    auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(extract);
    buttons->addWidget(close);
    buttons->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(channelsBox);
    top->addWidget(m_pMessage, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);

    connect(m_pChannels, &QButtonGroup::idClicked, this, &CExtractDlg::OnChannel);
    connect(extract, &QPushButton::clicked, this, &CExtractDlg::OnExtract);
    connect(close, &QPushButton::clicked, this, &CExtractDlg::OnClose);

    doc->m_bExtractOpen = 1;
    Start(doc);
}

void CExtractDlg::Start(CZbDoc* doc) {
    m_pDoc = doc;
    m_nChannel = DefaultChannelIndex(*m_pDoc);
    LookUpColumns();
    ShowMessage(Sprintf("Définir la zone du code puis cliquer sur Extraire...     [%d][%d]\n"
                        "L'extraction par moitié est possible, en incluant les barres "
                        "références...",
                        m_nXCol, m_nYCol));
    for (int i = 0; i < kScanChannels; ++i)
        m_pChannels->button(i)->setEnabled(m_pDoc->m_nChannels & ChannelBitOfIndex(i));
    if (QAbstractButton* radio = m_pChannels->button(m_nChannel)) radio->setChecked(true);
    const ExtractionZone unbounded;
    m_fXMin = unbounded.fXMin;
    m_fXMax = unbounded.fXMax;
    m_fYMin = unbounded.fYMin;
    m_fYMax = unbounded.fYMax;
}

void CExtractDlg::SetZone(float xmi, float ymi, float xma, float yma) {
    const ExtractionZone zone = ZoneFromShown(*m_pDoc, xmi, ymi, xma, yma);
    // The limits as shown on the graph, least first whichever corner came first.
    ShowMessage(Sprintf("Limites:\nxmi: %1.3f, ymi: %1.3f\r\nxma: %1.3f, yma: %1.3f\n[%d][%d]",
                        std::min(xmi, xma), std::min(ymi, yma), std::max(xmi, xma),
                        std::max(ymi, yma), m_nXCol, m_nYCol));
    m_fXMin = zone.fXMin;
    m_fXMax = zone.fXMax;
    m_fYMin = zone.fYMin;
    m_fYMax = zone.fYMax;
}

void CExtractDlg::ReadControls() {
    if (QAbstractButton* checked = m_pChannels->checkedButton())
        m_nChannel = m_pChannels->id(checked);
}

void CExtractDlg::ShowMessage(const QString& message) {
    m_strMessage = message;
    QString shown = message;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_pMessage->setText(shown);
}

void CExtractDlg::LookUpColumns() {
    m_pDoc->GetChannelColumns(ChannelBitOfIndex(m_nChannel), &m_nXCol, &m_nYCol);
}

void CExtractDlg::OnChannel(int) {
    ReadControls();
    LookUpColumns();
    ShowMessage(Sprintf("[%d][%d]", m_nXCol, m_nYCol));
}

void CExtractDlg::OnExtract() {
    ReadControls();
    LookUpColumns();
    ExtractionZone zone;
    zone.fXMin = m_fXMin;
    zone.fXMax = m_fXMax;
    zone.fYMin = m_fYMin;
    zone.fYMax = m_fYMax;
    EraseOutsideZone(m_pDoc, m_nXCol, m_nYCol, zone);
    m_pDoc->m_tracker = QRect(0, 0, 0, 0);
    emit redrawRequested();
}

void CExtractDlg::Finish() {
    if (m_bClosing) return;
    m_bClosing = true;
    m_pDoc->m_bExtractOpen = 0;
    ReadControls();
    if (m_pApp) {
        m_pApp->m_fRefX = 0;
        m_pApp->m_fRefY = 0;
    }
    emit closed();
    emit redrawRequested();
}

void CExtractDlg::OnClose() {
    close();
}

// However the window goes ("&Fermer", Escape or its close box), the document
// and the view learn that it is gone, then it deletes itself.
void CExtractDlg::closeEvent(QCloseEvent* event) {
    Finish();
    event->accept();
}

void CExtractDlg::reject() {
    close();
}
