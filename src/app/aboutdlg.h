#pragma once

#include <QDialog>
#include <QStringList>

// "A propos du logiciel": the program, a credit line and the history of changes.
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // The history list, newest first, as the drop-down shows it.
    static QStringList History();
};
