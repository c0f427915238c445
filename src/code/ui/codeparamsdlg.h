#pragma once

#include <QDialog>
#include <cstdint>

#include "code/codeparams.h"

class QButtonGroup;
class QLineEdit;
class CZbDoc;

// "Paramètres du code barre": module widths of rendering 1, the coefficient
// that derives the seven others, and the bar and space colours of each
// rendering. Every radio click and "&Fermer" applies the fields.
class CCodeParamsDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CCodeParamsDlg(CZbDoc* doc, QWidget* parent = nullptr);

    float m_fBarEdit = 0;   // mm
    float m_fSpaceEdit = 0; // mm
    int m_nSelected = -1;   // rendering chosen with the radios, 0..7
    float m_fCoefEdit = 0;
    std::int16_t m_nSpaceR = 0, m_nBarR = 0, m_nSpaceB = 0, m_nBarB = 0, m_nSpaceG = 0, m_nBarG = 0;
    int m_nPrevSelected = 0; // rendering whose colours the six edits show
    CZbDoc* m_pDoc;

  signals:
    void redrawRequested();

  private:
    void ReadControls();
    void ShowControls();
    CodeParamsFields Fields() const;
    void SetFields(const CodeParamsFields& fields);
    void Apply();
    void OnRendering(int index);
    // "Couleur trait" (bar) or "Couleur espace".
    void OnColour(bool bar);
    void OnSameColours();
    void OnClose();
    // The colour chosen in the system chooser, or false when cancelled.
    bool ChooseColour(COLORREF* colour);

    QLineEdit* m_pBarEdit;
    QLineEdit* m_pSpaceEdit;
    QLineEdit* m_pCoefEdit;
    QLineEdit* m_pBarRgb[3];
    QLineEdit* m_pSpaceRgb[3];
    QButtonGroup* m_pRenderings;
};
