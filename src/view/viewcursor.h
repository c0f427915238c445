#pragma once

#include <QRect>
#include <QString>
#include <cstdint>

class CZbDoc;
class CZbApp;
class CViewCoords;
class CPointPickingTool;

// The part of the view that reacts to the mouse and the arrow keys on the
// graph: the reference point, the mouse position, the selected sample and the
// marker, kept in the application object and here. No widget involved: the
// view widget forwards its events and repaints what these return.
class CViewCursor {
  public:
    std::int32_t m_bClickFound = 0; // the last click found a sample
    std::int16_t m_nSelXCol = -1;   // sample chosen by the last successful plain click
    std::int16_t m_nSelYCol = -1;
    std::int16_t m_nSelRow = -1;

    // Live mouse position, in shown units and in pixels.
    static void MouseMove(const CViewCoords& coords, CZbApp& app, int px, int py);

    // The pixel the image readout measures from, set by any left click;
    // (0, 0) means none.
    static void SetReferencePixel(CZbApp& app, int px, int py);

    // A plain click on the graph: the nearest sample within the regression
    // tolerance, or else the click itself, becomes the reference point.
    // Returns the pixels to repaint (the old and the new marker).
    QRect PlainClick(const CZbDoc& doc, CZbApp& app, const CViewCoords& coords, int px, int py);

    // A click while the regression tool awaits a point: the outcome goes to
    // the tool; the reference point and the marker stay as they are.
    void PickForRegression(const CZbDoc& doc, const CViewCoords& coords, int px, int py,
                           CPointPickingTool* tool);

    // Left (steps < 0) or right arrow: moves the selected row and, when that
    // row holds a sample, the reference point to it. Returns the pixels to
    // repaint (empty when nothing moved on screen).
    QRect StepSelection(const CZbDoc& doc, CZbApp& app, const CViewCoords& coords, int steps);

    bool HasSelection() const { return m_nSelXCol != -1 && m_nSelYCol != -1; }
};

// The place of two point markers and their labels, in pixels.
QRect MarksRect(int x1, int y1, int x2, int y2);

// Row reached from row by the given number of arrow steps. The cycle runs
// through 0 .. points, so the row one past the last sample is part of it.
std::int16_t StepRow(std::int16_t row, std::int16_t points, int steps);

// The sample at (row, xCol/yCol); false when either cell holds no value or
// the row or a column lies outside the table.
bool ReadSample(const CZbDoc& doc, std::int16_t xCol, std::int16_t yCol, std::int16_t row, float* x,
                float* y);

// Text of the status bar's readout pane: the pixel readout in the image
// mode, otherwise the mouse position or its distance to the reference point.
QString MouseReadout(const CZbDoc& doc, const CZbApp& app);
