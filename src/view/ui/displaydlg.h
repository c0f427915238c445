#pragma once

#include <QDialog>
#include <cstdint>

#include "view/displayselection.h"

class QCheckBox;
class QRadioButton;
class CZbDoc;
class CZbApp;

// "Sélection du type de visualisation": code sheet, graph (with its curves)
// or image. OK changes the document's display selection.
class CDisplayDlg : public QDialog {
    Q_OBJECT
  public:
    CDisplayDlg(CZbDoc& doc, CZbApp& app, QWidget* parent = nullptr);

    DisplayType SelectedType() const;
    std::int16_t CheckedBits() const;

  private:
    void OnTypeChanged();
    void OnOk();

    CZbDoc& m_doc;
    CZbApp& m_app;
    QRadioButton* m_pCodeSheet;
    QRadioButton* m_pGraph;
    QRadioButton* m_pImage;
    QCheckBox* m_pBoxes[kDisplayBoxCount]; // Voie 1, Voie 2, Ref1, Ref2, Math, Fronts
    bool m_bChecksOffered = false;
};
