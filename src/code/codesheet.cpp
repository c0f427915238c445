// Drawing of the code: one rendering (guards, digit slots, digits, set
// letters, caption) and the code sheet with its eight renderings.

#include <QFont>
#include <QPainter>
#include <QPen>

#include "code/code.h"
#include "common/creditline.h"
#include "common/format.h"
#include "common/frenchdate.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/plotter.h"
#include "view/mapping.h"

namespace {

// The sheet's page window in mm, on screen and on paper.
constexpr float kSheetLeft = -30, kSheetBottom = -95, kSheetRight = 240, kSheetTop = 95;
constexpr COLORREF kTextBlue = MakeColorRef(0, 0, 255);
constexpr int kFontWeight = 500;

// Guard bars reach further down than the data bars, by 0.4 of the half height.
constexpr float kGuardDepth = 1.4f;
// Circles marking the slot boundaries, a third of a bar module across.
constexpr float kCircleRatio = 0.33333334f;
// Digit type height relative to the half height of the bars.
constexpr float kDigitTypeRatio = 0.2857142857142857f;

// Renderings are laid out in rows from (-20, 70); a rendering is 46 bar
// modules and 48 space modules wide including its share of the margins.
constexpr float kRowStartX = -20, kFirstRowY = 70, kRowPitch = 40, kRowRightLimit = 230;
constexpr float kGap = 10;
constexpr float kHeightPerBarMm = 40, kMaxHeight = 25;
// Widths beyond this (or not positive, or not numbers) can only come from a
// damaged file; such a rendering is left out and takes no room.
constexpr float kMaxModuleMm = 100;

bool IsDrawableWidth(float mm) {
    return mm > 0 && mm <= kMaxModuleMm;
}

QFont SheetFont(const CPlotter& plotter, float heightMm) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, plotter.ToLogical(heightMm)));
    font.setWeight(QFont::Weight(kFontWeight));
    return font;
}

int SetColumn(char set) {
    switch (set) {
    case 'A':
        return 0;
    case 'B':
        return 1;
    case 'C':
        return 2;
    default:
        return -1;
    }
}

// Draws text in its own type and colour and puts the caller's back.
class TextScope {
  public:
    TextScope(CPlotter& plotter, const QFont& font)
        : m_plotter(plotter), m_font(plotter.m_pDC->font()), m_colour(plotter.TextColor()) {
        plotter.m_pDC->setFont(font);
        plotter.SetTextColor(kTextBlue);
    }
    ~TextScope() {
        m_plotter.m_pDC->setFont(m_font);
        m_plotter.SetTextColor(m_colour);
    }

  private:
    CPlotter& m_plotter;
    QFont m_font;
    COLORREF m_colour;
};

// Fills rectangles in the bar or space colour and restores the caller's brush.
class BrushScope {
  public:
    BrushScope(CPlotter& plotter, COLORREF bar, COLORREF space)
        : m_plotter(plotter), m_brush(plotter.m_pDC->brush()), m_bar(ToQColor(bar)),
          m_space(ToQColor(space)) {}
    ~BrushScope() { m_plotter.m_pDC->setBrush(m_brush); }
    void Bar(float x1, float y1, float x2, float y2) { Fill(m_bar, x1, y1, x2, y2); }
    void Space(float x1, float y1, float x2, float y2) { Fill(m_space, x1, y1, x2, y2); }

  private:
    void Fill(const QColor& colour, float x1, float y1, float x2, float y2) {
        m_plotter.m_pDC->setBrush(colour);
        m_plotter.FillRect(x1, y1, x2, y2);
    }
    CPlotter& m_plotter;
    QBrush m_brush;
    QColor m_bar, m_space;
};

} // namespace

void CCode::DrawGuard(char kind, float x, float y) {
    if (!m_pPlotter) return;
    CPlotter& plotter = *m_pPlotter;
    const float T = m_fBarWidth, E = m_fSpaceWidth, h = m_fHalfHeight, K = m_fDigitWidth;
    const float low = y - kGuardDepth * h, high = y + h;
    const float radius = T * kCircleRatio;
    BrushScope fill(plotter, m_crBar, m_crSpace);
    switch (kind) {
    case 'G':
        plotter.Circle(x, high, radius);
        fill.Bar(x, low, x + T, high);
        fill.Space(x + T, low, x + T + E, high);
        fill.Bar(x + T + E, low, x + 2 * T + E, high);
        plotter.Circle(x + 2 * T + E, high, radius);
        break;
    case 'M': {
        const float s = x + 2 * T + E + 6 * K;
        plotter.Circle(s + 3 * E + 2 * T, high, radius);
        fill.Space(s, low, s + E, high);
        fill.Bar(s + E, low, s + E + T, high);
        fill.Space(s + E + T, low, s + 2 * E + T, high);
        fill.Bar(s + 2 * E + T, low, s + 2 * E + 2 * T, high);
        fill.Space(s + 2 * E + 2 * T, low, s + 3 * E + 2 * T, high);
        break;
    }
    case 'D': {
        const float s = x + 4 * T + 4 * E + 12 * K;
        plotter.Circle(s + 2 * T + E, high, radius);
        fill.Bar(s, low, s + T, high);
        fill.Space(s + T, low, s + T + E, high);
        fill.Bar(s + T + E, low, s + 2 * T + E, high);
        break;
    }
    default:
        break;
    }
}

void CCode::DrawDigit(int value, int position, char set, float x, float y) {
    const int column = SetColumn(set);
    if (!m_pPlotter || column < 0 || position < 1 || position > 12) return;
    CPlotter& plotter = *m_pPlotter;
    const float T = m_fBarWidth, E = m_fSpaceWidth, h = m_fHalfHeight, K = m_fDigitWidth;
    const float radius = T * kCircleRatio;
    // A character that is not a digit leaves its slot blank (spaces only).
    const int pattern = (value >= 0 && value <= 9) ? m_nPattern[value][column] : 0;
    BrushScope fill(plotter, m_crBar, m_crSpace);
    if (column == 2) {
        // Right-hand digits start at the left edge of their slot.
        const float left = x + 4 * (T + E) + (position - 1) * K;
        fill.Space(left, y - h, left + K, y + h);
        plotter.Circle(left + K, y + h, radius);
        float cursor = left;
        for (int bit = 64; bit >= 1; bit >>= 1) {
            if (pattern & bit) {
                fill.Bar(cursor, y - h, cursor + T, y + h);
                cursor += T;
            } else {
                cursor += E;
            }
        }
    } else {
        // Left-hand digits end at the right edge of their slot.
        const float right = x + 2 * T + E + position * K;
        fill.Space(right - K, y - h, right, y + h);
        plotter.Circle(right, y + h, radius);
        float cursor = right;
        for (int bit = 1; bit <= 64; bit <<= 1) {
            if (pattern & bit) {
                fill.Bar(cursor - T, y - h, cursor, y + h);
                cursor -= T;
            } else {
                cursor -= E;
            }
        }
    }
}

void CCode::DrawCode(float x, float y, QString code) {
    if (!m_pPlotter) return;
    CPlotter& plotter = *m_pPlotter;
    const float T = m_fBarWidth, E = m_fSpaceWidth, h = m_fHalfHeight, K = m_fDigitWidth;
    const TextScope type(plotter, SheetFont(plotter, kDigitTypeRatio * h));
    const int align = plotter.TextAlign();

    DrawGuard('G', x, y);
    DrawGuard('M', x, y);
    DrawGuard('D', x, y);
    if (code.size() != kCodeLength) return;

    plotter.SetTextAlign(CPlotter::kAlignLeft | CPlotter::kAlignTop);
    plotter.Text(x, y + kGuardDepth * h,
                 Sprintf("T:%1.2f, E:%1.2f, (%d,%d,%d) (%d,%d,%d)", T, E, ColorRefRed(m_crBar),
                         ColorRefGreen(m_crBar), ColorRefBlue(m_crBar), ColorRefRed(m_crSpace),
                         ColorRefGreen(m_crSpace), ColorRefBlue(m_crSpace)));

    // A leading character that is not a digit shows "?" and its left half is
    // drawn all in set A, the parity of a leading 0.
    const QChar leading = code.at(0);
    const int leadingDigit = IsCodeDigit(leading) ? leading.unicode() - '0' : -1;
    plotter.SetTextAlign(CPlotter::kAlignRight | CPlotter::kAlignTop);
    plotter.Text(x - 1.0f, y - 1.2f * h,
                 leadingDigit >= 0 ? Sprintf("%d", leadingDigit) : QStringLiteral("?"));
    const QString& parity = m_strParity[std::max(leadingDigit, 0)];

    // Digits that are not digits show "?" over a blank slot.
    auto drawSlot = [&](int index, float p, char set) {
        const QChar c = code.at(index);
        const int value = IsCodeDigit(c) ? c.unicode() - '0' : -1;
        plotter.Text(p, y - 1.2f * h, value >= 0 ? Sprintf("%d", value) : QStringLiteral("?"));
        plotter.Text(p, y - 1.5f * h, QString(QLatin1Char(set)));
        DrawDigit(value, index, set, x, y);
    };
    plotter.SetTextAlign(CPlotter::kAlignCenter | CPlotter::kAlignTop);
    float p = x + 2 * T + E + K / 2;
    for (int i = 0; i < 6; ++i) {
        drawSlot(i + 1, p, parity.at(i).toLatin1());
        p += K;
    }
    p += 3 * E + 2 * T;
    for (int j = 6; j < 12; ++j) {
        drawSlot(j + 1, p, 'C');
        p += K;
    }
    plotter.SetTextAlign(align);
}

void CCode::DrawCodeSheet(QPainter* painter, CZbDoc* doc, CZbApp* app, bool printing) {
    // The sheet has a fixed page and no graph transform; the mouse readout
    // reads these back.
    doc->m_fFrameLeft = kSheetLeft;
    doc->m_fFrameBottom = kSheetBottom;
    doc->m_fFrameRight = kSheetRight;
    doc->m_fFrameTop = kSheetTop;
    doc->m_fMultX = doc->m_fMultY = 1;
    doc->m_fMmPerUnitX = doc->m_fMmPerUnitY = 1;
    doc->m_fOriginX = doc->m_fOriginY = 0;
    if (printing) {
        SetPrintMapping(*painter, kSheetLeft, kSheetBottom, kSheetRight, kSheetTop);
        if (app) app->ClearReference();
    } else {
        const QPaintDevice* device = painter->device();
        const QSize client = device ? QSize(device->width(), device->height()) : QSize();
        SetScreenMapping(*painter, client, kSheetLeft, kSheetBottom, kSheetRight, kSheetTop);
    }

    CPlotter plotter(painter, doc, printing);
    const QPen oldPen = painter->pen();
    QPen pen(Qt::black, plotter.ToLogical(0.2f), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setPen(pen);

    // Two frames, filled with the current brush as a rectangle would be.
    const float inset = 5;
    for (float margin : {0.0f, inset}) {
        const float left = kSheetLeft + margin, bottom = kSheetBottom + margin;
        const float right = kSheetRight - margin, top = kSheetTop - margin;
        if (painter->brush().style() != Qt::NoBrush) plotter.FillRect(left, bottom, right, top);
        plotter.Frame(left, bottom, right, top);
    }

    const int align = plotter.TextAlign();
    {
        const TextScope type(plotter, SheetFont(plotter, 3.6f));
        plotter.SetTextAlign(CPlotter::kAlignLeft | CPlotter::kAlignBaseline);
        plotter.Text(-25, -93.5f, CreditLine());
        plotter.Text(-25, 90.8f, FrenchDateTimeNow());
    }

    {
        CCode code(painter, doc, printing);
        float x = kRowStartX, y = kFirstRowY;
        for (int i = 0; i < CZbDoc::kRenderings; ++i) {
            const float bar = doc->m_fBar[i], space = doc->m_fSpace[i];
            if (!IsDrawableWidth(bar) || !IsDrawableWidth(space)) continue;
            const float height = std::min(kHeightPerBarMm * bar, kMaxHeight);
            code.SetGeometry(bar, space, height);
            code.SetColours(doc->m_crBar[i], doc->m_crSpace[i]);
            // From the document's widths, not the exchanged ones.
            const float width = 46 * bar + 48 * space;
            if (x + width > kRowRightLimit) {
                x = kRowStartX;
                y -= kRowPitch;
            }
            // Skipped when it would fall below the frame.
            if (y > height - 85) code.DrawCode(x, y, doc->m_strCode);
            x += width + kGap;
        }
    }

    {
        const TextScope type(plotter, SheetFont(plotter, 9.0f));
        plotter.SetTextAlign(CPlotter::kAlignCenter | CPlotter::kAlignTop);
        plotter.Text(105, -75, Sprintf("CODE EAN13: %s", doc->m_strCode));
    }
    plotter.SetTextAlign(align);
    painter->setPen(oldPen);
}
