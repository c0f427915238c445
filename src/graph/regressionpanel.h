#pragma once

#include <QString>
#include <cstdint>

#include "graph/regressionset.h"

class CZbApp;
class CZbDoc;

// The rows and columns "&Calculer" works on for one slot: the two picked
// points on the same curve, on different rows.
struct RegressionRange {
    int firstRow = 0, lastRow = 0; // in row order, whichever point came first
    int xCol = 0, yCol = 0;
    int Count() const { return lastRow - firstRow + 1; }
};

// False when the slot's points are not both on one curve and on different
// rows (or what a file stored for them lies outside the table).
bool SlotRange(const CRegressionSet& set, int slot, RegressionRange* range);

// "Calcul de la régression d'ordre %d en cours sur %d valeurs...".
QString ComputingMessage(const CRegressionSet& set, int slot, const RegressionRange& range);

// The least-squares fit of the range's samples (rows holding no value are
// skipped) into the slot: its coefficients and m_bComputed. Returns the
// success or failure message.
QString ComputeSlot(CZbDoc& doc, int slot, const RegressionRange& range, bool* succeeded = nullptr);

// Point 1 or 2 of a slot becomes the sample at row/xCol/yCol, (x, y) in
// data units.
void StorePoint(CRegressionSet& set, int slot, int point, int row, int xCol, int yCol, float x,
                float y);

// "a3:1.000e+000", or "a3=?" for a coefficient with no value.
QString CoefficientLine(int k, double value);

// The raised "Ec(mm)": the picking radius is never below 0.01.
float ClampTolerance(float tolerance);

// What the dialog "Tracé de régressions" shows and does, without widgets: the
// dialog shows these members and hands the user's actions to the operations.
class CRegressionPanel {
  public:
    static constexpr int kPauseMs = 300; // the computing message stays this long

    // Algorithms of opening: from the document's regression set.
    explicit CRegressionPanel(CZbDoc* doc);

    // "Point &1" (point 1) or "Point &2" (point 2), with "Ec(mm)" as read.
    void StartPicking(int point, float tolerance);
    // A click on the graph while a point is awaited (the view's finder found
    // the sample at row/xCol/yCol, or met `distance` at best). x, y: the
    // click in shown units.
    void PickPoint(bool found, std::int16_t row, std::int16_t xCol, std::int16_t yCol, float x,
                   float y, float distance);
    // "&Calculer": shows the computing message and starts the pause; false
    // (nothing happens) when the slot's points do not allow it or a
    // computation is already waiting.
    bool StartCompute();
    bool Computing() const { return m_nPauseLeftMs > 0; }
    // Time passing; the computation runs when the pause is over.
    void Tick(int elapsedMs);
    void SelectSlot(int slot);
    void SetDraw(bool draw);
    void SelectType(int type);
    // "&Fermer": the document learns the dialog is gone; the cursor point is
    // cleared. Views are to be redrawn by the caller.
    void Close(float tolerance, CZbApp* app);

    CZbDoc* m_pDoc;
    std::int32_t m_nSlot = 0;
    std::int32_t m_nType = 0;
    std::int32_t m_bDraw = 1;
    QString m_strMessage;
    QString m_strCoef[CRegressionSet::kCoefficients];
    float m_fTolerance = 0.02f;
    bool m_bComputeEnabled = false;

  private:
    CRegressionSet& Set() const;
    void ShowSlot();
    void ShowCoefficients();

    int m_nPauseLeftMs = 0;
    int m_nComputeSlot = 0;
    RegressionRange m_range;
};
