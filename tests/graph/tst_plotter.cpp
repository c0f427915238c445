#include <QPainter>
#include <QTest>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/plotter.h"
#include "painterstate.h"
#include "recordingdevice.h"
#include "view/mapping.h"

namespace {
enum Primitive { kLine, kFill, kFrame, kCircle, kText };

// One primitive over (x1, y1)..(x2, y2) mm; the circle is centred half a
// millimetre off the origin with a radius of 10 mm, the text at (x1, y2).
void Draw(CPlotter& plotter, int primitive, float x1, float y1, float x2, float y2) {
    switch (primitive) {
    case kLine:
        plotter.Line(x1, y1, x2, y2);
        break;
    case kFill:
        plotter.FillRect(x1, y1, x2, y2);
        break;
    case kFrame:
        plotter.Frame(x1, y1, x2, y2);
        break;
    case kCircle:
        plotter.Circle(0.5f, 0.5f, 10);
        break;
    case kText:
        plotter.Text(x1, y2, QStringLiteral("T"));
        break;
    }
}
} // namespace

// The millimetre drawing surface: unit conversion on screen and paper, text
// placement, and what a plotter writes back into the document.
class TestPlotter : public QObject {
    Q_OBJECT
  private slots:
    void millimetresToLogicalUnits_data() {
        QTest::addColumn<bool>("printing");
        QTest::addColumn<float>("mm");
        QTest::addColumn<int>("units");
        QTest::newRow("screen 10 mm") << false << 10.0f << 1000;
        QTest::newRow("paper 10 mm") << true << 10.0f << 566;
        QTest::newRow("paper -10 mm truncates toward zero") << true << -10.0f << -566;
        QTest::newRow("screen 0.6 mm") << false << 0.6f << 60;
    }
    void millimetresToLogicalUnits() {
        QFETCH(bool, printing);
        QFETCH(float, mm);
        QFETCH(int, units);
        CZbApp app;
        CZbDoc doc(&app);
        RecordingDevice device(0, 0, 270, 190, printing);
        QPainter painter(&device);
        if (printing)
            SetPrintMapping(painter, 0, 0, 270, 190);
        else
            SetScreenMapping(painter, QSize(device.width(), device.height()), 0, 0, 270, 190);
        {
            CPlotter plotter(&painter, &doc, printing);
            QCOMPARE(plotter.ToLogical(mm), units);
            plotter.Line(0, 0, mm, mm);
        }
        painter.end();
        // The recorded line shows the conversion went all the way to the device.
        const auto lines = device.ItemsOfKind(RecordingDevice::Line);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].points[1], QPointF(units, units));
    }

    // Each coordinate is converted on its own, truncated toward zero: on paper
    // -10.3 mm is -583 twips (not -584), and a circle's right edge is
    // 10.5 mm = 595 twips, not centre 28 + radius 566. Every primitive leaves
    // the pen, brush, font and text colour as it found them.
    void primitives_data() {
        QTest::addColumn<int>("primitive");
        QTest::addColumn<QRectF>("box"); // left, bottom, right, top in twips
        QTest::newRow("line") << int(kLine) << QRectF(QPointF(-583, 17), QPointF(583, 1173));
        QTest::newRow("fill") << int(kFill) << QRectF(QPointF(-583, 17), QPointF(583, 1173));
        QTest::newRow("frame") << int(kFrame) << QRectF(QPointF(-583, 17), QPointF(583, 1173));
        QTest::newRow("circle") << int(kCircle) << QRectF(QPointF(-538, -538), QPointF(595, 595));
        QTest::newRow("text") << int(kText) << QRectF(QPointF(-583, 1173), QPointF(-583, 1173));
    }
    void primitives() {
        QFETCH(int, primitive);
        QFETCH(QRectF, box);
        CZbApp app;
        CZbDoc doc(&app);
        RecordingDevice device(0, 0, 270, 190, true);
        QPainter painter(&device);
        SetPrintMapping(painter, 0, 0, 270, 190);
        const UnusualPainterState state;
        state.SetOn(painter);
        {
            CPlotter plotter(&painter, &doc, true);
            plotter.SetTextColor(MakeColorRef(1, 2, 3));
            Draw(plotter, primitive, -10.3f, 0.3f, 10.3f, 20.7f);
            QCOMPARE(state.Differences(painter), QString());
            QCOMPARE(plotter.TextColor(), MakeColorRef(1, 2, 3));
        }
        painter.end();
        QVERIFY(!device.Items().isEmpty());
        double left = 1e9, bottom = 1e9, right = -1e9, top = -1e9;
        for (const RecordingDevice::Item& item : device.Items()) {
            // A text's anchor is its origin; its box depends on the font.
            const QRectF drawn =
                item.kind == RecordingDevice::Text
                    ? QRectF(item.origin, item.origin)
                    : QRectF(QPointF(item.left, item.bottom), QPointF(item.right, item.top));
            left = std::min(left, drawn.left());
            bottom = std::min(bottom, drawn.top());
            right = std::max(right, drawn.right());
            top = std::max(top, drawn.bottom());
        }
        QCOMPARE(QRectF(QPointF(left, bottom), QPointF(right, top)), box);
    }

    void textAnchoredByAlignment_data() {
        QTest::addColumn<int>("align");
        QTest::addColumn<double>("boxX"); // where the anchor lies along the box
        QTest::addColumn<bool>("topAtAnchor");
        QTest::newRow("left top") << int(CPlotter::kAlignLeft | CPlotter::kAlignTop) << 0.0 << true;
        QTest::newRow("centre top")
            << int(CPlotter::kAlignCenter | CPlotter::kAlignTop) << 0.5 << true;
        QTest::newRow("right top")
            << int(CPlotter::kAlignRight | CPlotter::kAlignTop) << 1.0 << true;
        QTest::newRow("left baseline")
            << int(CPlotter::kAlignLeft | CPlotter::kAlignBaseline) << 0.0 << false;
    }
    void textAnchoredByAlignment() {
        QFETCH(int, align);
        QFETCH(double, boxX);
        QFETCH(bool, topAtAnchor);
        CZbApp app;
        CZbDoc doc(&app);
        RecordingDevice device(0, 0, 270, 190, false);
        QPainter painter(&device);
        SetScreenMapping(painter, QSize(device.width(), device.height()), 0, 0, 270, 190);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(500);
        painter.setFont(font);
        {
            CPlotter plotter(&painter, &doc, false);
            plotter.SetTextAlign(align);
            plotter.SetTextColor(MakeColorRef(0, 0, 255));
            plotter.Text(100, 50, QStringLiteral("CODE"));
        }
        painter.end();
        const auto texts = device.TextsEqualTo(QStringLiteral("CODE"));
        QCOMPARE(texts.size(), 1);
        const RecordingDevice::Item& text = texts[0];
        QCOMPARE(text.origin, QPointF(10000, 5000));
        QCOMPARE(text.penColour, QColor(0, 0, 255));
        QCOMPARE(text.fontPixelSize, 500);
        QVERIFY(text.Width() > 0);
        QVERIFY(qAbs(text.left + boxX * text.Width() - 10000) < 1);
        if (topAtAnchor)
            QVERIFY(qAbs(text.top - 5000) < 1);
        else
            QVERIFY(qAbs(text.baseline.y() - 5000) < 1);
        // Upright: the box lies below a top anchor, not mirrored above it.
        QVERIFY(text.bottom < text.top);
    }

    void writeBack_data() {
        QTest::addColumn<int>("rows");
        QTest::newRow("no rows: nothing written") << 0;
        QTest::newRow("rows: transform reset, frame kept") << 10;
    }
    void writeBack() {
        QFETCH(int, rows);
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nPoints = static_cast<std::int16_t>(rows);
        doc.m_fFrameLeft = 5;
        doc.m_fFrameBottom = 6;
        doc.m_fFrameRight = 200;
        doc.m_fFrameTop = 150;
        doc.m_fMmPerUnitX = 3;
        doc.m_fMmPerUnitY = 4;
        doc.m_fOriginX = 7;
        doc.m_fOriginY = 8;
        doc.m_fMultX = 1000;
        doc.m_fMultY = 0.01f;
        RecordingDevice device(0, 0, 270, 190, false);
        QPainter painter(&device);
        {
            // Primitives only, as the code sheet uses it.
            CPlotter plotter(&painter, &doc, false);
            plotter.Frame(0, 0, 10, 10);
        }
        QCOMPARE(doc.m_fFrameLeft, 5.0f);
        QCOMPARE(doc.m_fFrameBottom, 6.0f);
        QCOMPARE(doc.m_fFrameRight, 200.0f);
        QCOMPARE(doc.m_fFrameTop, 150.0f);
        if (rows == 0) {
            QCOMPARE(doc.m_fMmPerUnitX, 3.0f);
            QCOMPARE(doc.m_fMmPerUnitY, 4.0f);
            QCOMPARE(doc.m_fOriginX, 7.0f);
            QCOMPARE(doc.m_fOriginY, 8.0f);
            QCOMPARE(doc.m_fMultX, 1000.0f);
            QCOMPARE(doc.m_fMultY, 0.01f);
        } else {
            QCOMPARE(doc.m_fMmPerUnitX, 1.0f);
            QCOMPARE(doc.m_fMmPerUnitY, 1.0f);
            QCOMPARE(doc.m_fOriginX, 0.0f);
            QCOMPARE(doc.m_fOriginY, 0.0f);
            QCOMPARE(doc.m_fMultX, 1.0f);
            QCOMPARE(doc.m_fMultY, 1.0f);
        }
    }
};

QTEST_MAIN(TestPlotter)
#include "tst_plotter.moc"
