#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QLineEdit;
class QListWidget;
class CZbDoc;

// "Définition légende", modal: the lines written on the graph, where they
// go (millimetres from the axes crossing) and whether they are written. The
// document changes only on "&OK".
class CLegendDlg : public QDialog {
    Q_OBJECT
  public:
    CLegendDlg(CZbDoc* doc, QWidget* parent = nullptr);

    QListWidget* m_lbLines;
    QLineEdit* m_edText;
    float m_fX = 0, m_fY = 0;
    std::int32_t m_bShow = 0;
    CZbDoc* m_pDoc;

  signals:
    void redrawRequested();

  private:
    bool Ask(const QString& question);
    void OnAdd();
    void OnRemove();
    void OnRemoveAll();
    void OnOk();

    QLineEdit* m_pXEdit;
    QLineEdit* m_pYEdit;
    QCheckBox* m_pShow;
};
