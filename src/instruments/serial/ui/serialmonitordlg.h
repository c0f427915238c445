#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class CTextSerialLink;

// "Connexion au port série": shows what a text link has received and its
// status line. It offers no way to close it: it exists exactly as long as
// its link and goes with it.
class CSerialMonitorDlg : public QWidget {
    Q_OBJECT

  public:
    // Made with new, shown at once beside `parent` (the dialog that owns the
    // link); it deletes itself when the link is destroyed.
    CSerialMonitorDlg(const CTextSerialLink* link, QWidget* parent);

    QString ReceivedText() const;
    QString StatusText() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Refresh();

    const CTextSerialLink* m_pLink;
    QPlainTextEdit* m_pReceived;
    QLabel* m_pStatus;
};
