#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class CZbDoc;

// "Génération d'un code EAN13": the user types the twelve data digits and sees
// the check digit; "&OK" stores the thirteen digits in the document and shows
// the code sheet.
class CGenerateDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CGenerateDlg(CZbDoc* doc, QWidget* parent = nullptr);

    QString m_strFirst; // character 1
    QString m_strLeft;  // characters 2 to 7
    QString m_strRight; // characters 8 to 12
    QString m_strCheck; // the check digit shown
    CZbDoc* m_pDoc;

  signals:
    // The document changed: every view should repaint.
    void redrawRequested();

  private:
    void ReadControls();
    void OnFieldChanged();
    void OnOk();

    QLineEdit* m_pFirstEdit;
    QLineEdit* m_pLeftEdit;
    QLineEdit* m_pRightEdit;
    QLabel* m_pCheckLabel;
};
