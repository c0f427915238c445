#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class CCaptureMonitor;

// "Connexion au port série" for a binary instrument: the bytes received in
// hexadecimal and the status line of a capture monitor. It has no button and
// cannot be closed by the user: its owner creates it with the link and
// destroys it with the link.
class CSerialCaptureDlg : public QWidget {
    Q_OBJECT
  public:
    CSerialCaptureDlg(const CCaptureMonitor* monitor, QWidget* parent = nullptr);

    // Shows the monitor's texts again.
    void Refresh();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    const CCaptureMonitor* m_pMonitor;
    QPlainTextEdit* m_pReceived;
    QLabel* m_pStatus;
};
