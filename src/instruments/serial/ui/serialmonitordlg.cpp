#include "instruments/serial/ui/serialmonitordlg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "instruments/serial/textlink.h"

CSerialMonitorDlg::CSerialMonitorDlg(const CTextSerialLink* link, QWidget* parent)
    // A tool window with a title and no buttons: no close, no system menu.
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_pLink(link) {
    setWindowTitle(QStringLiteral("Connexion au port série"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* label = new QLabel(QStringLiteral("Caractères reçus"), this);
    m_pReceived = new QPlainTextEdit(this);
    m_pReceived->setObjectName(QStringLiteral("received"));
    m_pReceived->setReadOnly(true);
    m_pReceived->setWordWrapMode(QTextOption::WrapAnywhere);
    m_pReceived->setFocusPolicy(Qt::NoFocus);
    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("status"));
    m_pStatus->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_pReceived, 1);
    layout->addWidget(m_pStatus);
    resize(360, 200);
    connect(link, &CTextSerialLink::MonitorChanged, this, &CSerialMonitorDlg::Refresh);
    connect(link, &QObject::destroyed, this, [this] { delete this; });
    Refresh();
    if (parent) {
        // Beside the owner, where it does not hide the dialog's controls.
        const QRect owner = parent->frameGeometry();
        move(owner.right() + 8, owner.top());
    }
    show();
}

QString CSerialMonitorDlg::ReceivedText() const {
    return m_pReceived->toPlainText();
}

QString CSerialMonitorDlg::StatusText() const {
    return m_pStatus->text();
}

void CSerialMonitorDlg::closeEvent(QCloseEvent* event) {
    event->ignore(); // it goes with its link, never on its own
}

void CSerialMonitorDlg::Refresh() {
    const CTextMonitor& monitor = m_pLink->Monitor();
    if (m_pReceived->toPlainText() != monitor.m_strReceived)
        m_pReceived->setPlainText(monitor.m_strReceived);
    m_pStatus->setText(monitor.m_strStatus);
}
