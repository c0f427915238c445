#pragma once

#include <QDialog>
#include <cstdint>

#include "decode/extraction.h"

class QButtonGroup;
class QLabel;
class CZbApp;
class CZbDoc;

// "Extraction code barre", modeless: the user picks the channel of the scan,
// drags a rectangle on the graph (the view hands it over with SetZone) and
// clicks "&Extraire" to erase every sample of that channel outside it. The
// dialog deletes itself when closed.
class CExtractDlg : public QDialog {
    Q_OBJECT
  public:
    // Sets the document's m_bExtractOpen; closing clears it.
    CExtractDlg(CZbDoc* doc, CZbApp* app, QWidget* parent = nullptr);

    // Chooses the channel and resets the zone and the message.
    void Start(CZbDoc* doc);
    // The rectangle the user dragged, in shown units: left, bottom, right, top
    // (corners in any order).
    void SetZone(float xmi, float ymi, float xma, float yma);

    int m_nChannel = -1; // radio: 0 CH1, 1 CH2, 2 REF1, 3 REF2, 4 MATH
    QString m_strMessage;
    CZbDoc* m_pDoc = nullptr;
    CZbApp* m_pApp = nullptr;
    std::int16_t m_nXCol = 0, m_nYCol = 1;
    float m_fXMin = kNoValueLow, m_fXMax = kNoValue, m_fYMin = kNoValueLow, m_fYMax = kNoValue;

  signals:
    void redrawRequested();
    // The dialog closed and is about to be deleted; the owner unchecks its
    // menu item and forgets its pointer.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void ReadControls();
    void ShowMessage(const QString& message);
    void LookUpColumns();
    void OnChannel(int index);
    void OnExtract();
    void OnClose();
    void Finish();

    QButtonGroup* m_pChannels;
    QLabel* m_pMessage;
    bool m_bClosing = false;
};
