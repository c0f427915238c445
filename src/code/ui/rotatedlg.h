#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class CZbApp;
class CZbDoc;

// "Rotation de l'acquisition oscilloscope": inverts the displayed trace about
// its middle level and/or reverses it in time, so that edge detection finds
// high bars read from the left guard on.
class CRotateDlg : public QDialog {
    Q_OBJECT
  public:
    CRotateDlg(CZbDoc* doc, CZbApp* app, QWidget* parent = nullptr);

    std::int32_t m_bRotateX = 0; // "Rotation autour de &x"
    std::int32_t m_bRotateY = 0; // "Rotation autour de &y"
    CZbDoc* m_pDoc;
    CZbApp* m_pApp;

  signals:
    void redrawRequested();

  private:
    void OnOk();

    QCheckBox* m_pRotateX;
    QCheckBox* m_pRotateY;
};
