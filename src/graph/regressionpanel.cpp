#include "graph/regressionpanel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/format.h"
#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/polynomialfit.h"

namespace {

constexpr float kMinTolerance = 0.01f;

bool ValidSlot(int slot) {
    return slot >= 0 && slot < CRegressionSet::kSlots;
}

bool ValidColumn(int column) {
    return column >= 0 && column < CZbDoc::kColumns;
}

bool ValidRow(int row) {
    return row >= 0 && row < CZbDoc::kCapacity;
}

// Both points found on the same columns and different rows.
bool PointsAllowCompute(const CRegressionSet& set, int slot) {
    return set.m_bPointFound[slot][0] && set.m_bPointFound[slot][1] &&
           set.m_nPointXCol[slot][0] == set.m_nPointXCol[slot][1] &&
           set.m_nPointYCol[slot][0] == set.m_nPointYCol[slot][1] &&
           set.m_nPointRow[slot][0] != set.m_nPointRow[slot][1];
}

} // namespace

bool SlotRange(const CRegressionSet& set, int slot, RegressionRange* range) {
    if (!ValidSlot(slot)) return false;
    const int r1 = set.m_nPointRow[slot][0], r2 = set.m_nPointRow[slot][1];
    const int xCol = set.m_nPointXCol[slot][0], yCol = set.m_nPointYCol[slot][0];
    if (r1 == r2 || xCol != set.m_nPointXCol[slot][1] || yCol != set.m_nPointYCol[slot][1])
        return false;
    if (!ValidRow(r1) || !ValidRow(r2) || !ValidColumn(xCol) || !ValidColumn(yCol)) return false;
    range->firstRow = std::min(r1, r2);
    range->lastRow = std::max(r1, r2);
    range->xCol = xCol;
    range->yCol = yCol;
    return true;
}

QString ComputingMessage(const CRegressionSet& set, int slot, const RegressionRange& range) {
    return Sprintf("Calcul de la régression d'ordre %d en cours sur %d valeurs...\n[%d][%d]",
                   set.m_nType[slot] + 1, range.Count(), range.xCol, range.yCol);
}

QString ComputeSlot(CZbDoc& doc, int slot, const RegressionRange& range, bool* succeeded) {
    CRegressionSet& set = *doc.m_pRegressions;
    std::vector<double> points;
    points.reserve(2 * std::size_t(range.Count()));
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        const float x = doc.m_fT[row][range.xCol], y = doc.m_fT[row][range.yCol];
        // Rows with no value (and anything a file left that is not a number)
        // take no part in the fit.
        if (IsNoValue(x) || IsNoValue(y) || !std::isfinite(x) || !std::isfinite(y)) continue;
        points.push_back(x);
        points.push_back(y);
    }
    double coefficients[CRegressionSet::kCoefficients];
    const int type = std::clamp<int>(set.m_nType[slot], 0, kMaxFitDegree - 1);
    const bool ok =
        CRegressionSet::FitPolynomial(points.data(), static_cast<std::int16_t>(points.size() / 2),
                                      static_cast<std::int16_t>(type + 1), coefficients);
    set.m_bComputed[slot] = ok;
    for (int k = 0; k < CRegressionSet::kCoefficients; ++k)
        set.m_dCoef[slot][k] = ok ? coefficients[k] : double(kNoValue);
    if (succeeded) *succeeded = ok;
    return ok ? QStringLiteral("Cliquer sur Fermer pour visualiser la courbe de régression")
              : QStringLiteral("Le calcul de la régression a échoué !");
}

void StorePoint(CRegressionSet& set, int slot, int point, int row, int xCol, int yCol, float x,
                float y) {
    if (!ValidSlot(slot) || (point != 1 && point != 2)) return;
    const int k = point - 1;
    set.m_nPointXCol[slot][k] = xCol;
    set.m_nPointYCol[slot][k] = yCol;
    set.m_nPointRow[slot][k] = row;
    set.m_bPointFound[slot][k] = 1;
    float* data = point == 1 ? set.m_fPoint1[slot] : set.m_fPoint2[slot];
    data[0] = x;
    data[1] = y;
}

QString CoefficientLine(int k, double value) {
    if (IsNoValue(value)) return Sprintf("a%d=?", k);
    return Sprintf("a%d:%9.3e", k, value);
}

float ClampTolerance(float tolerance) {
    return tolerance >= kMinTolerance ? tolerance : kMinTolerance; // NaN too
}

CRegressionPanel::CRegressionPanel(CZbDoc* doc) : m_pDoc(doc) {
    m_nSlot = ValidSlot(Set().m_nSlot) ? Set().m_nSlot : 0;
    m_strMessage = QStringLiteral(
        "Cliquez sur Point1 et Point2 pour sélectioner 2 points appartenant à la même courbe");
    m_fTolerance = Set().m_fTolerance;
    ShowSlot();
}

CRegressionSet& CRegressionPanel::Set() const {
    return *m_pDoc->m_pRegressions;
}

void CRegressionPanel::ShowSlot() {
    const CRegressionSet& set = Set();
    m_bDraw = set.m_bDraw[m_nSlot] != 0;
    m_nType = std::clamp<int>(set.m_nType[m_nSlot], 0, kMaxFitDegree - 1);
    m_bComputeEnabled = set.m_bPointFound[m_nSlot][0] || set.m_bPointFound[m_nSlot][1];
    ShowCoefficients();
}

void CRegressionPanel::ShowCoefficients() {
    for (int k = 0; k < CRegressionSet::kCoefficients; ++k)
        m_strCoef[k] = CoefficientLine(k, Set().m_dCoef[m_nSlot][k]);
}

void CRegressionPanel::StartPicking(int point, float tolerance) {
    if (point != 1 && point != 2) return;
    m_fTolerance = ClampTolerance(tolerance);
    CRegressionSet& set = Set();
    set.m_fTolerance = m_fTolerance;
    set.m_nPicking[m_nSlot] = point;
    set.m_nSlot = m_nSlot;
    m_strMessage = Sprintf("Placer le curseur de la souris sur le %s point de la régression.\r\n"
                           "Cliquez sur le bouton gauche.",
                           point == 1 ? "1er" : "2ème");
}

void CRegressionPanel::PickPoint(bool found, std::int16_t row, std::int16_t xCol, std::int16_t yCol,
                                 float x, float y, float distance) {
    CRegressionSet& set = Set();
    const int slot = set.m_nSlot;
    if (!ValidSlot(slot)) return;
    const int point = set.m_nPicking[slot];
    if (point != 1 && point != 2) return;
    if (!found || !ValidRow(row) || !ValidColumn(xCol) || !ValidColumn(yCol)) {
        m_strMessage = Sprintf("Point %d non trouvé !\r\nX:%8.3f Y:%8.3f\r\nEcart: %1.3f", point, x,
                               y, distance);
        return;
    }
    const float cellX = m_pDoc->m_fT[row][xCol], cellY = m_pDoc->m_fT[row][yCol];
    m_strMessage = Sprintf("Point %d trouvé:\r\n[%d][%d] - Point n°%d\r\nX:%8.3f Y:%8.3f ", point,
                           xCol, yCol, row, m_pDoc->m_fMultX * cellX, m_pDoc->m_fMultY * cellY);
    StorePoint(set, slot, point, row, xCol, yCol, cellX, cellY);
    if (slot == m_nSlot && PointsAllowCompute(set, slot)) m_bComputeEnabled = true;
}

bool CRegressionPanel::StartCompute() {
    if (Computing()) return false;
    RegressionRange range;
    if (!SlotRange(Set(), m_nSlot, &range)) return false;
    m_range = range;
    m_nComputeSlot = m_nSlot;
    m_strMessage = ComputingMessage(Set(), m_nSlot, range);
    m_nPauseLeftMs = kPauseMs;
    return true;
}

void CRegressionPanel::Tick(int elapsedMs) {
    if (!Computing()) return;
    m_nPauseLeftMs -= std::max(elapsedMs, 0);
    if (Computing()) return;
    m_nPauseLeftMs = 0;
    m_strMessage = ComputeSlot(*m_pDoc, m_nComputeSlot, m_range);
    if (m_nComputeSlot == m_nSlot) ShowCoefficients();
}

void CRegressionPanel::SelectSlot(int slot) {
    if (!ValidSlot(slot)) return;
    m_nSlot = slot;
    Set().m_nSlot = slot;
    ShowSlot();
}

void CRegressionPanel::SetDraw(bool draw) {
    m_bDraw = draw;
    Set().m_bDraw[m_nSlot] = draw;
}

void CRegressionPanel::SelectType(int type) {
    if (type < 0 || type >= kMaxFitDegree) return;
    m_nType = type;
    Set().m_nType[m_nSlot] = type;
}

void CRegressionPanel::Close(float tolerance, CZbApp* app) {
    m_pDoc->m_bRegressionOpen = 0;
    m_nPauseLeftMs = 0; // a computation still waiting is dropped with the window
    m_fTolerance = ClampTolerance(tolerance);
    Set().m_fTolerance = m_fTolerance;
    Set().m_nSlot = m_nSlot;
    if (app) app->ClearReference();
}
