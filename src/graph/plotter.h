#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "common/colorref.h"
#include "graph/graphscale.h"

class QPainter;
class CZbDoc;
class CRegressionSet;

// Short-lived millimetre drawing object of one paint or print pass. Every
// coordinate is in millimetres with y upward and is converted separately to an
// integer logical unit (truncated toward zero); the painter's transform, set by
// the caller, maps logical units to the device. While it lives it owns the
// graph transform, which it writes back into the document when destroyed.
class CPlotter {
  public:
    static constexpr int kCurves = GraphCurves::kCurves;
    static constexpr float kScreenUnitsPerMm = 100.0f;
    static constexpr float kPrintUnitsPerMm = 56.692913f; // twips

    // printing selects twips instead of hundredths of a millimetre.
    CPlotter(QPainter* painter, CZbDoc* doc, bool printing);
    ~CPlotter();
    CPlotter(const CPlotter&) = delete;
    CPlotter& operator=(const CPlotter&) = delete;

    // Millimetres to logical units, truncated toward zero.
    int ToLogical(float mm) const;

    // Primitives in millimetres, with the painter's current pen, brush, font.
    void Line(float x1, float y1, float x2, float y2);
    void Circle(float x, float y, float r);
    // Draws with the alignment last set by SetTextAlign, upright.
    void Text(float x, float y, const QString& text);
    void FillRect(float x1, float y1, float x2, float y2);
    void Frame(float x1, float y1, float x2, float y2);

    // Text alignment of Text(): a combination of the flags below, as the
    // device-context alignment it mirrors (left/centre/right with
    // top/baseline/bottom).
    enum TextAlign {
        kAlignLeft = 0x00,
        kAlignRight = 0x02,
        kAlignCenter = 0x06,
        kAlignTop = 0x00,
        kAlignBottom = 0x08,
        kAlignBaseline = 0x18,
    };
    void SetTextAlign(int align) { m_nTextAlign = align; }
    int TextAlign() const { return m_nTextAlign; }
    // Text colour of Text(), apart from the pen as on a device context.
    void SetTextColor(COLORREF colour) { m_crText = colour; }
    COLORREF TextColor() const { return m_crText; }

    // Graph operations.
    void SetXColumn(std::int16_t curve, std::int16_t column, const QString& label);
    void SetYColumn(std::int16_t curve, std::int16_t column, const QString& label);
    void ResetClip();
    void SetClip(float xa, float ya, float xb, float yb);
    // Returns true when nothing could be plotted (and nothing was drawn).
    bool DrawGraph();
    void DrawTextBlock(float x, float y, const QStringList& lines, COLORREF colour);
    void DrawRegressionLine(int slot, float a1, float a0);
    void DrawPolynomial(int slot, const CRegressionSet& regressions);
    void DrawPointMarkers(float x1, float y1, float x2, float y2);
    void DrawMarker(COLORREF colour, float xs, float ys);
    void DrawCursorPoint(COLORREF colour, float xs, float ys);
    // Crossing of two lines given by a point and an angle; (1e10, 1e10) when
    // they are parallel.
    static void IntersectLines(double x1, double y1, double angle1, double x2, double y2,
                               double angle2, double* x, double* y);

    QPainter* m_pDC;
    CZbDoc* m_pDoc;
    float m_fClipX1, m_fClipX2, m_fClipY1, m_fClipY2; // data window, strict bounds
    const float* m_pT = nullptr;                      // sample table, six floats per row
    float m_fMultX = 1, m_fMultY = 1;
    float m_fLeft, m_fBottom, m_fRight, m_fTop; // graph frame, mm
    float m_fOriginX = 0, m_fOriginY = 0;
    float m_fMmPerUnitX = 1, m_fMmPerUnitY = 1;
    float m_fLogPerMm;
    float m_fFontMm = 4.5f;
    std::int16_t m_nRows = 0;
    std::int16_t m_nXCol[kCurves];
    std::int16_t m_nYCol[kCurves];
    QString m_strXLabel[kCurves];
    QString m_strYLabel[kCurves];

  private:
    int m_nTextAlign = kAlignLeft | kAlignTop;
    COLORREF m_crText = 0x000000;
};
