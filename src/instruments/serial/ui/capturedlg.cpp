#include "instruments/serial/ui/capturedlg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "instruments/serial/capturemonitor.h"

CSerialCaptureDlg::CSerialCaptureDlg(const CCaptureMonitor* monitor, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_pMonitor(monitor) {
    setWindowTitle(QStringLiteral("Connexion au port série"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_pReceived = new QPlainTextEdit(this);
    m_pReceived->setObjectName(QStringLiteral("received"));
    m_pReceived->setReadOnly(true);
    m_pReceived->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pReceived->setMinimumSize(360, 90);
    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("status"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Octets (codes ASCII) reçus"), this));
    layout->addWidget(m_pReceived, 1);
    layout->addWidget(m_pStatus);
    Refresh();
}

void CSerialCaptureDlg::Refresh() {
    if (m_pReceived->toPlainText() != m_pMonitor->m_strReceived)
        m_pReceived->setPlainText(m_pMonitor->m_strReceived);
    m_pStatus->setText(m_pMonitor->m_strStatus);
}

void CSerialCaptureDlg::closeEvent(QCloseEvent* event) {
    event->ignore(); // it goes with its link, never on its own
}
