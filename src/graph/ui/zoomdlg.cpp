#include "graph/ui/zoomdlg.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"
#include "doc/zbdoc.h"

CZoomDlg::CZoomDlg(CZbDoc* doc, CZbApp* app, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Zoom sur une zone du graphe visualisé"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_pMessage = NewMessageField(this, 260, 50);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("&Annuler zoom"), this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_pMessage, 1);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &CZoomDlg::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);

    m_selection.Start(doc, app);
    doc->m_bZoomOpen = 1;
    ShowMessage();
}

void CZoomDlg::SetRectangle(float x1, float y1, float x2, float y2) {
    m_selection.SetRectangle(x1, y1, x2, y2);
    ShowMessage();
}

void CZoomDlg::ShowMessage() {
    QString shown = m_selection.m_strMessage;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_pMessage->setText(shown);
}

void CZoomDlg::OnOk() {
    m_bAccepted = true;
    close();
}

// However the window goes, the document and the view learn that it is gone;
// only "&OK" sets the zoom window.
void CZoomDlg::closeEvent(QCloseEvent* event) {
    if (!m_bClosing) {
        m_bClosing = true;
        if (m_bAccepted)
            m_selection.Accept();
        else
            m_selection.Close();
        emit closed();
        emit redrawRequested();
    }
    event->accept();
}

void CZoomDlg::reject() {
    close();
}
