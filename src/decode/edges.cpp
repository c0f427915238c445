#include "decode/edges.h"

#include <algorithm>

#include "common/novalue.h"
#include "doc/zbdoc.h"

namespace {

// A curve is drawn only for a plausible count: a full code has 60 edges.
constexpr std::int16_t kFewestCurveEdges = 11;
constexpr std::int16_t kMostCurveEdges = 89;

// A crossing this close to the last edge, as a share of the previous
// interval, is noise on the level just crossed.
constexpr float kMinimumSpacing = 0.25f;

constexpr std::int16_t kEdgeTimeColumn = 4;
constexpr std::int16_t kEdgeValueColumn = 5;

int RowCount(const CZbDoc& doc) {
    return std::clamp<int>(doc.m_nCapacity, 0, CZbDoc::kCapacity);
}

bool RowValid(const CZbDoc& doc, int row, std::int16_t xCol, std::int16_t yCol) {
    return !IsNoValue(doc.m_fT[row][xCol]) && !IsNoValue(doc.m_fT[row][yCol]);
}

// Time of a neighbouring row, or the row's own time when that neighbour is
// outside the table or erased (an extracted zone ends there).
float NeighbourTime(const CZbDoc& doc, int row, int neighbour, std::int16_t xCol,
                    std::int16_t yCol) {
    if (neighbour < 0 || neighbour >= RowCount(doc) || !RowValid(doc, neighbour, xCol, yCol))
        return doc.m_fT[row][xCol];
    return doc.m_fT[neighbour][xCol];
}

} // namespace

ChannelRange FindChannelRange(const CZbDoc& doc, std::int16_t xCol, std::int16_t yCol) {
    ChannelRange range;
    for (int row = 0; row < RowCount(doc); ++row) {
        if (!RowValid(doc, row, xCol, yCol)) continue;
        const float y = doc.m_fT[row][yCol];
        if (!range.found || y < range.min) range.min = y;
        if (!range.found || y > range.max) range.max = y;
        range.found = true;
    }
    return range;
}

std::int16_t DetectEdges(const CZbDoc& doc, std::int16_t xCol, std::int16_t yCol, float uRef,
                         float* edges, int maxEdges) {
    maxEdges = std::clamp(maxEdges, 0, kMaxEdges);
    int n = 0;
    bool waitingForRise = true;
    for (int row = 0; row < RowCount(doc) && n < maxEdges; ++row) {
        if (!RowValid(doc, row, xCol, yCol)) continue;
        const float x = doc.m_fT[row][xCol];
        const float y = doc.m_fT[row][yCol];
        const bool candidate = waitingForRise ? y > uRef : y < uRef;
        if (!candidate) continue;
        if (n >= 2 && x - edges[n - 1] <= kMinimumSpacing * (edges[n - 1] - edges[n - 2]))
            continue; // retried on the next rows while the level holds
        // A rise is timed one row late and a fall one row early.
        edges[n++] = NeighbourTime(doc, row, waitingForRise ? row + 1 : row - 1, xCol, yCol);
        waitingForRise = !waitingForRise;
    }
    return static_cast<std::int16_t>(n);
}

bool EdgeCountShowsCurve(std::int16_t count) {
    return count >= kFewestCurveEdges && count <= kMostCurveEdges;
}

void WriteEdgeCurve(CZbDoc& doc, std::int16_t xCol, std::int16_t yCol, const float* edges,
                    std::int16_t count, const ChannelRange& range) {
    const float mid = range.Mid();
    float level = mid - range.max; // half the amplitude, below the middle first
    int k = 0;
    for (int row = 0; row < RowCount(doc); ++row) {
        float* cells = doc.m_fT[row];
        if (!RowValid(doc, row, xCol, yCol)) {
            cells[kEdgeTimeColumn] = kNoValue;
            cells[kEdgeValueColumn] = kNoValue;
            continue;
        }
        const float x = cells[xCol];
        cells[kEdgeTimeColumn] = x;
        if (k < count && edges[k] <= x) {
            level = -level;
            ++k;
            // The previous row's time makes the step vertical.
            if (row > 0 && !IsNoValue(doc.m_fT[row - 1][kEdgeTimeColumn]))
                cells[kEdgeTimeColumn] = doc.m_fT[row - 1][kEdgeTimeColumn];
        }
        cells[kEdgeValueColumn] = mid + level;
    }
}

void ClearEdgeCurve(CZbDoc& doc) {
    for (int row = 0; row < CZbDoc::kCapacity; ++row) {
        doc.m_fT[row][kEdgeTimeColumn] = kNoValue;
        doc.m_fT[row][kEdgeValueColumn] = kNoValue;
    }
}
