#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>
#include <cmath>

#include "common/format.h"
#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/plotter.h"
#include "graph/regressionpanel.h"
#include "graph/regressionset.h"
#include "graphsamples.h"
#include "recordingdevice.h"
#include "testsupport.h"
#include "view/viewdraw.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

// A document showing CH1 (and CH2 when given) and the painting of its graph
// as recorded in logical units (0.01 mm on screen) around the axes crossing.
struct GraphFixture {
    CZbApp app;
    CZbDoc doc{&app};

    GraphFixture() { app.m_pDoc = &doc; }

    void SetSamples(const QVector<QPointF>& ch1, const QVector<QPointF>& ch2 = {}) {
        doc.ClearSamples();
        doc.m_nChannels = ch2.isEmpty() ? kChannelCh1 : kChannelCh1 | kChannelCh2;
        doc.m_nDisplay = doc.m_nChannels;
        for (int row = 0; row < ch1.size(); ++row) {
            doc.m_fT[row][0] = float(ch1[row].x());
            doc.m_fT[row][1] = float(ch1[row].y());
        }
        for (int row = 0; row < ch2.size(); ++row) {
            doc.m_fT[row][2] = float(ch2[row].x());
            doc.m_fT[row][3] = float(ch2[row].y());
        }
        doc.m_nPoints = std::max(ch1.size(), ch2.size());
    }

    // The first pass places the frame around the data; the recorded pass then
    // starts from it, so the recorded units are the plotter's own.
    QVector<RecordingDevice::Item> Draw(bool clickFound = false) {
        QImage scratch(270, 190, QImage::Format_RGB32);
        {
            QPainter painter(&scratch);
            DrawGraphPage(painter, doc, app, false, clickFound);
        }
        RecordingDevice device(doc.m_fFrameLeft, doc.m_fFrameBottom, doc.m_fFrameRight,
                               doc.m_fFrameTop, false);
        {
            QPainter painter(&device);
            DrawGraphPage(painter, doc, app, false, clickFound);
        }
        return device.Items();
    }
};

QVector<RecordingDevice::Item> Select(const QVector<RecordingDevice::Item>& items,
                                      RecordingDevice::Kind kind, const QColor& colour) {
    QVector<RecordingDevice::Item> selected;
    for (const auto& item : items)
        if (item.kind == kind && item.penColour == colour) selected << item;
    return selected;
}

const RecordingDevice::Item* FindText(const QVector<RecordingDevice::Item>& items,
                                      const QString& text) {
    for (const auto& item : items)
        if (item.kind == RecordingDevice::Text && item.text == text) return &item;
    return nullptr;
}

QStringList Texts(const QVector<RecordingDevice::Item>& items) {
    QStringList texts;
    for (const auto& item : items)
        if (item.kind == RecordingDevice::Text) texts << item.text;
    return texts;
}

// Whether a recorded line joins a and b (mm), either way round, each end to
// its truncation to a logical unit.
bool HasLine(const QVector<RecordingDevice::Item>& lines, QPointF a, QPointF b) {
    constexpr double kUnitsPerMm = 100, kSlackMm = 0.02;
    for (const auto& line : lines) {
        const QPointF p = line.points[0] / kUnitsPerMm, q = line.points[1] / kUnitsPerMm;
        if ((QLineF(p, a).length() <= kSlackMm && QLineF(q, b).length() <= kSlackMm) ||
            (QLineF(p, b).length() <= kSlackMm && QLineF(q, a).length() <= kSlackMm))
            return true;
    }
    return false;
}

// The text drawn with its anchor at (x, y) mm, to a logical unit.
const RecordingDevice::Item* TextAt(const QVector<RecordingDevice::Item>& items,
                                    const QString& text, double x, double y) {
    const RecordingDevice::Item* found = FindText(items, text);
    if (!found || std::fabs(found->origin.x() - x * 100) > 2 ||
        std::fabs(found->origin.y() - y * 100) > 2)
        return nullptr;
    return found;
}

} // namespace

class TestGraphDraw : public QObject {
    Q_OBJECT
  private slots:
    // x 0.02..0.98 (208.33 mm per unit, step 0.1, multiplier 10) and
    // y -1.2..4.7 (20.34 mm per unit, step 0.5, multiplier 1).
    void tickLabelsAndPositions() {
        GraphFixture graph;
        graph.SetSamples(Ramp(0.02, 0.98, -1.2, 4.7));
        const auto items = graph.Draw();
        QCOMPARE(graph.doc.m_fFrameLeft, 0.02f * (200 / 0.96f) - 30);

        // x labels: centred 2.5 mm below the axis, one per 0.1 from the origin
        // (which has none) while 5 mm inside the frame; the tick at -0.1 lies
        // exactly on the inner limit and is kept.
        QStringList xLabels, yLabels;
        for (const auto& item : items) {
            if (item.kind != RecordingDevice::Text) continue;
            const double centre = (item.left + item.right) / 2;
            if (item.origin.y() == -250) {
                xLabels << item.text;
                const double tick = item.text.toDouble() / 10;
                QVERIFY(std::fabs(item.origin.x() - tick * 200 / 0.96 * 100) <= 1.5);
                QVERIFY(std::fabs(centre - item.origin.x()) <= 2);
            } else if (item.origin.x() == -200) {
                // y labels: right-aligned 2 mm left of the axis, 2 mm above their line.
                yLabels << item.text;
                const double tick = item.text.toDouble();
                QVERIFY(std::fabs(item.origin.y() - (tick * 120 / 5.9 + 2) * 100) <= 1.5);
                QVERIFY(std::fabs(item.right - item.origin.x()) <= 2);
            }
        }
        QCOMPARE(xLabels, QString("1.00 2.00 3.00 4.00 5.00 6.00 7.00 8.00 9.00 10.00 11.00 "
                                  "-1.00")
                              .split(' '));
        QCOMPARE(yLabels, QString("0.00 0.50 1.00 1.50 2.00 2.50 3.00 3.50 4.00 4.50 5.00 5.50 "
                                  "6.00 -0.50 -1.00 -1.50 -2.00")
                              .split(' '));

        QVERIFY(FindText(items, "Echx:2.08e+002 / Echy:2.03e+001"));
        const auto* xAxis = FindText(items, "CH1:t(s)*1e-001");
        const auto* yAxis = FindText(items, "CH1:U(V)*1e+000");
        QVERIFY(xAxis && yAxis);
        QCOMPARE(xAxis->penColour, kRed);
        QCOMPARE(yAxis->penColour, kRed);
        // Every text is Arial at 4.5 mm but the footer (0.8 of it) and in weight 500.
        for (const auto& item : items)
            if (item.kind == RecordingDevice::Text) {
                QCOMPARE(item.fontWeight, 500);
                QVERIFY(item.fontPixelSize == 450 || item.fontPixelSize == 360);
            }
    }

    // Tick spacing in mm and the tick numbers k (k x spacing from the axes
    // crossing) on each axis; the axes and the inner frame run from the lowest
    // to the highest multiple, or from 0 when there is no negative tick.
    void frameAxesGridAndLabels_data() {
        QTest::addColumn<QVector<QPointF>>("ch1");
        QTest::addColumn<QVector<QPointF>>("ch2");
        QTest::addColumn<double>("spacingX");
        QTest::addColumn<QPoint>("ticksX");
        QTest::addColumn<double>("spacingY");
        QTest::addColumn<QPoint>("ticksY");
        // Frame -25.83..244.17 by -54.41..135.59 mm: the y axis stands more
        // than 15 mm right of the inner frame, so the y grid also runs left of
        // it, up to 10 mm from the axis.
        QTest::newRow("0.02..0.98 by -1.2..4.7")
            << Ramp(0.02, 0.98, -1.2, 4.7) << QVector<QPointF>() << 200 / 0.96 * 0.1
            << QPoint(-1, 11) << 120 / 5.9 * 0.5 << QPoint(-4, 12);
        // Origin 9.5: frame -30..240 by -30..160 mm, the y axis on the inner
        // frame's left edge; a second curve stacks its axis labels.
        QTest::newRow("10..13 by 0..1, two curves")
            << Ramp(10, 13, 0, 1) << Ramp(10, 13, 1, 0) << 200 / 3.0 * 0.5 << QPoint(1, 7) << 12.0
            << QPoint(-2, 12);
    }
    void frameAxesGridAndLabels() {
        QFETCH(QVector<QPointF>, ch1);
        QFETCH(QVector<QPointF>, ch2);
        QFETCH(double, spacingX);
        QFETCH(QPoint, ticksX);
        QFETCH(double, spacingY);
        QFETCH(QPoint, ticksY);
        GraphFixture graph;
        graph.SetSamples(ch1, ch2);
        const auto items = graph.Draw();
        const CZbDoc& doc = graph.doc;
        const double left = doc.m_fFrameLeft, bottom = doc.m_fFrameBottom;
        const double right = doc.m_fFrameRight, top = doc.m_fFrameTop;
        const double xBegin = std::min(ticksX.x(), 0) * spacingX, xEnd = ticksX.y() * spacingX;
        const double yBegin = std::min(ticksY.x(), 0) * spacingY, yEnd = ticksY.y() * spacingY;

        // Frame, inner frame and axes: black, 0.2 mm.
        QVector<RecordingDevice::Item> black;
        for (const auto& item : Select(items, RecordingDevice::Line, Qt::black))
            if (item.penWidth == 20) black << item;
        QCOMPARE(black.size(), 10);
        for (const QRectF& frame : {QRectF(QPointF(left, bottom), QPointF(right, top)),
                                    QRectF(QPointF(xBegin, yBegin), QPointF(xEnd, yEnd))}) {
            QVERIFY(HasLine(black, frame.topLeft(), frame.topRight()));
            QVERIFY(HasLine(black, frame.topRight(), frame.bottomRight()));
            QVERIFY(HasLine(black, frame.bottomRight(), frame.bottomLeft()));
            QVERIFY(HasLine(black, frame.bottomLeft(), frame.topLeft()));
        }
        QVERIFY(HasLine(black, {xBegin, 0}, {xEnd, 0}));
        QVERIFY(HasLine(black, {0, yBegin}, {0, yEnd}));

        // Grid: one-pixel grey lines, broken where the labels stand.
        const auto grey = Select(items, RecordingDevice::Line, QColor(127, 127, 127));
        const bool leftGrid = xBegin < -15;
        int expected = 0;
        for (int k = ticksX.x(); k <= ticksX.y(); ++k) {
            if (k == 0) continue; // the origin has no x tick
            const double x = k * spacingX;
            QVERIFY2(HasLine(grey, {x, yBegin}, {x, -7}) && HasLine(grey, {x, 0}, {x, yEnd}),
                     qPrintable(QString("x tick %1").arg(k)));
            expected += 2;
        }
        for (int k = ticksY.x(); k <= ticksY.y(); ++k) {
            const double y = k * spacingY;
            QVERIFY2(HasLine(grey, {0, y}, {xEnd, y}), qPrintable(QString("y tick %1").arg(k)));
            QCOMPARE(HasLine(grey, {xBegin, y}, {-10, y}), leftGrid);
            expected += leftGrid ? 2 : 1;
        }
        QCOMPARE(grey.size(), expected);
        for (const auto& line : grey)
            QCOMPARE(line.penWidth, 0.0);

        // Footer: blue, 0.8 of the text height, 4.5 mm above the frame's
        // bottom, the credit line from the left and the date from the right.
        const RecordingDevice::Item *credit = nullptr, *date = nullptr;
        for (const auto& item : items)
            if (item.kind == RecordingDevice::Text && item.fontPixelSize == 360)
                (item.left < 0 ? credit : date) = &item;
        QVERIFY(credit && date);
        QCOMPARE(credit->penColour, QColor(0, 0, 255));
        QCOMPARE(date->penColour, QColor(0, 0, 255));
        QVERIFY(TextAt(items, credit->text, left + 0.5, bottom + 4.5));
        QVERIFY(TextAt(items, date->text, right - 0.5, bottom + 4.5));
        QVERIFY(std::fabs(credit->left - credit->origin.x()) <= 2);
        QVERIFY(std::fabs(credit->top - credit->origin.y()) <= 2);
        QVERIFY(std::fabs(date->right - date->origin.x()) <= 2);
        QVERIFY2(QRegularExpression("^(lundi|mardi|mercredi|jeudi|vendredi|samedi|dimanche), "
                                    "\\d\\d [^ ]+ \\d{4} - \\d\\d:\\d\\d:\\d\\d$")
                     .match(date->text)
                     .hasMatch(),
                 qPrintable(date->text));

        // Scale line over the inner frame's left edge, then the axis labels
        // in their curve colours: x labels stacked upward from 1 mm above the
        // x axis, y labels downward from 5 mm below the inner frame's top.
        const QString scaleLine =
            Sprintf("Echx:%7.2e / Echy:%7.2e", doc.m_fMmPerUnitX, doc.m_fMmPerUnitY);
        QVERIFY2(TextAt(items, scaleLine, xBegin + 1.5, top - 5), qPrintable(scaleLine));
        const QString multipliers[] = {Sprintf("*%5.0e", 1 / doc.m_fMultX),
                                       Sprintf("*%5.0e", 1 / doc.m_fMultY)};
        const QColor colours[] = {kRed, kGreen};
        const int curves = ch2.isEmpty() ? 1 : 2;
        for (int curve = 0; curve < curves; ++curve) {
            const QString name = curve == 0 ? "CH1" : "CH2";
            const auto* xLabel =
                TextAt(items, name + ":t(s)" + multipliers[0], xEnd - 1, 1 + 5 * curve);
            const auto* yLabel =
                TextAt(items, name + ":U(V)" + multipliers[1], 3, yEnd - 5 - 5 * curve);
            QVERIFY2(xLabel && yLabel, qPrintable(Texts(items).join('|')));
            QCOMPARE(xLabel->penColour, colours[curve]);
            QCOMPARE(yLabel->penColour, colours[curve]);
            QVERIFY(std::fabs(xLabel->right - xLabel->origin.x()) <= 2);        // right, bottom
            QVERIFY(std::fabs(yLabel->baseline.y() - yLabel->origin.y()) <= 1); // baseline
        }
    }

    // The first pass after an acquisition starts from the previous frame; the
    // new frame, placed around the data, lands where the old one was on the
    // page, and the document keeps it for the next pass.
    void newFrameTakesOldFramePlace_data() {
        QTest::addColumn<bool>("printing");
        QTest::newRow("screen") << false;
        QTest::newRow("paper") << true;
    }
    void newFrameTakesOldFramePlace() {
        QFETCH(bool, printing);
        GraphFixture graph;
        graph.SetSamples(Ramp(0.02, 0.98, -1.2, 4.7));
        const CZbDoc& doc = graph.doc;
        QCOMPARE(QRectF(QPointF(doc.m_fFrameLeft, doc.m_fFrameBottom),
                        QPointF(doc.m_fFrameRight, doc.m_fFrameTop)),
                 QRectF(0, 0, 270, 190));
        RecordingDevice device(0, 0, 270, 190, printing);
        {
            QPainter painter(&device);
            DrawGraphPage(painter, graph.doc, graph.app, printing, false);
        }
        QVERIFY(std::fabs(doc.m_fFrameLeft - -25.83f) < 0.01f);
        QVERIFY(std::fabs(doc.m_fFrameBottom - -54.41f) < 0.01f);
        // The outer frame, in the units of the page as it was mapped.
        QRectF frame;
        for (const auto& line : Select(device.Items(), RecordingDevice::Line, Qt::black))
            if (line.penWidth == int(0.2 * device.UnitsPerMm()))
                frame |= line.points.boundingRect();
        const double unitsPerMm = device.UnitsPerMm();
        QVERIFY2(QLineF(frame.topLeft(), QPointF(0, 0)).length() <= 2 &&
                     QLineF(frame.bottomRight(), QPointF(270, 190) * unitsPerMm).length() <= 2,
                 qPrintable(QString("%1,%2 %3,%4")
                                .arg(frame.left())
                                .arg(frame.top())
                                .arg(frame.right())
                                .arg(frame.bottom())));
    }

    void curvesTakeDisplayOrderAndColours() {
        GraphFixture graph;
        graph.SetSamples(Ramp(0, 1, 0, 1), Ramp(0, 1, 1, 0));
        const auto items = graph.Draw();
        const auto red = Select(items, RecordingDevice::Line, kRed);
        const auto green = Select(items, RecordingDevice::Line, kGreen);
        QCOMPARE(red.size(), 10);
        QCOMPARE(green.size(), 10);
        QVERIFY(red.first().points[0].y() < red.first().points[1].y());     // CH1 rises
        QVERIFY(green.first().points[0].y() > green.first().points[1].y()); // CH2 falls
        QCOMPARE(red.first().penWidth, 30.0);                               // 0.3 mm
        QCOMPARE(FindText(items, "CH2:t(s)*1e-001")->penColour, kGreen);
    }

    // The curves of a display selection take the curve indexes (and so the
    // colours) in the order of the display bits; the edges take the index
    // after the channels, the logic level always takes curve 0.
    void displaySelectionAssignsCurves_data() {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("display");
        QTest::addColumn<QStringList>("xLabels"); // in curve order
        QTest::addColumn<QString>("yLabel");      // of curve 0
        QTest::newRow("CH1, CH2 and edges")
            << 3 << 1 + 2 + 64 << QStringList{"CH1:t(s)", "CH2:t(s)", "FRONTS:t(s)"} << "CH1:U(V)";
        QTest::newRow("CH2 and edges")
            << 3 << 2 + 64 << QStringList{"CH2:t(s)", "FRONTS:t(s)"} << "CH2:U(V)";
        QTest::newRow("REF2 and MATH")
            << 8 + 16 << 8 + 16 << QStringList{"REF2:t(s)", "MATH:t(s)"} << "REF2:U(V)";
        QTest::newRow("edges alone") << 1 << 64 << QStringList{"FRONTS:t(s)"} << "FRONTS:U(V)";
        QTest::newRow("logic level over CH2")
            << 3 << 2 + 128 << QStringList{"N°"} << "Niv. logique";
    }
    void displaySelectionAssignsCurves() {
        QFETCH(int, channels);
        QFETCH(int, display);
        QFETCH(QStringList, xLabels);
        QFETCH(QString, yLabel);
        GraphFixture graph;
        graph.SetSamples(Ramp(0, 1, 0, 1));
        for (int row = 0; row < graph.doc.m_nPoints; ++row)
            for (int column = 2; column < CZbDoc::kColumns; ++column)
                graph.doc.m_fT[row][column] = graph.doc.m_fT[row][column % 2];
        graph.doc.m_nChannels = static_cast<std::int16_t>(channels);
        graph.doc.m_nDisplay = static_cast<std::int16_t>(display);
        const auto items = graph.Draw();

        const QColor colours[] = {kRed, kGreen, QColor(0, 0, 128)};
        const QRegularExpression xLabel("^(.*:t\\(s\\)|N°)\\*");
        QStringList drawn;
        for (const auto& item : items)
            if (item.kind == RecordingDevice::Text && xLabel.match(item.text).hasMatch()) {
                const QString name = item.text.section('*', 0, 0);
                const int curve = xLabels.indexOf(name);
                QVERIFY2(curve >= 0, qPrintable(item.text));
                QCOMPARE(item.penColour, colours[curve]);
                drawn << name;
            }
        QCOMPARE(drawn, xLabels);
        // Data 0..1: the multiplier is 10.
        const auto* y = FindText(items, yLabel + "*1e-001");
        QVERIFY2(y, qPrintable(Texts(items).join('|')));
        QCOMPARE(y->penColour, kRed);
    }

    void noValueRowSplitsCurve() {
        GraphFixture graph;
        graph.SetSamples({{0, 0}, {1, 1}, {2, 2}, {3, 1}, {4, 0}});
        graph.doc.m_fT[2][1] = kNoValue;
        const auto lines = Select(graph.Draw(), RecordingDevice::Line, kRed);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].right < 2 * 50 * 100 && lines[1].left > 2 * 50 * 100);
    }

    // x 0..1.5 inside the window gives 133.33 mm per unit and a frame from
    // -30 to 240 mm; a sample beyond the window is still an end of the segment
    // that comes back into it, and that segment is kept only when the sample
    // lies more than 5 mm inside the frame.
    void segmentNearFrameDroppedWhole_data() {
        QTest::addColumn<double>("outsideX");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("232 mm, kept") << 1.74 << true;
        QTest::newRow("237.3 mm, within 5 mm of the edge") << 1.78 << false;
        QTest::newRow("273 mm, outside the frame") << 2.05 << false;
    }
    void segmentNearFrameDroppedWhole() {
        QFETCH(double, outsideX);
        QFETCH(bool, drawn);
        GraphFixture graph;
        graph.SetSamples({{0, 0}, {1, 1}, {1.5, 0}, {outsideX, 0.5}, {1.2, 0.2}});
        graph.doc.SetZoom(-1, -1, 1.6f, 2);
        const auto lines = Select(graph.Draw(), RecordingDevice::Line, kRed);
        QCOMPARE(graph.doc.m_fFrameRight, 240.0f);
        // (0,0)-(1,1) and (1,1)-(1.5,0) always; (1.5,0)-(outside) never.
        QCOMPARE(lines.size(), drawn ? 3 : 2);
    }

    // All-negative x: the origin is the first multiple of the step above the
    // lowest x, so the lowest samples stand left of the y axis, here by
    // 0.49 x 66.67 = 32.7 mm with a step of 0.5; the frame makes room for
    // them instead of dropping the first segments.
    void allNegativeDataKeepsLowestSamples_data() {
        QTest::addColumn<QVector<QPointF>>("points");
        QTest::newRow("x -3.99..-0.99") << Ramp(-3.99, -0.99, 0, 1);
        QTest::newRow("x -6.99..-0.99") << Ramp(-6.99, -0.99, 0, 1);
        QTest::newRow("x and y negative") << Ramp(-3.99, -0.99, -3.99, -0.99);
    }
    void allNegativeDataKeepsLowestSamples() {
        QFETCH(QVector<QPointF>, points);
        GraphFixture graph;
        graph.SetSamples(points);
        const auto lines = Select(graph.Draw(), RecordingDevice::Line, kRed);
        QCOMPARE(lines.size(), points.size() - 1);
    }

    void nothingDrawnWithOneSamplePerCurve() {
        GraphFixture graph;
        graph.SetSamples({{0, 0}, {5, 5}}, {{5, 5}, {1, 1}});
        graph.doc.SetZoom(-1, -1, 2, 2);
        graph.doc.m_bLegend = 1;
        graph.app.m_fRefX = graph.app.m_fRefY = 0;
        QVERIFY(graph.Draw().isEmpty());
    }

    // Data 0..1 on both axes: 200 and 120 mm per unit, frame -30..240 by
    // -30..160 mm, inner limits -25, 235, -25, 155.
    void regressionLineClippedAtFrame_data() {
        QTest::addColumn<float>("a1");
        QTest::addColumn<float>("a0");
        QTest::addColumn<QPointF>("start"); // mm
        QTest::addColumn<QPointF>("end");
        QTest::addColumn<QString>("equation");
        QTest::newRow("leaves by bottom and top")
            << 2.0f << 0.0f << QPointF(-25 / 1.2, -25) << QPointF(155 / 1.2, 155)
            << "DMC 1: y=2.000e+000x+0.000e+000";
        QTest::newRow("falling, ends on the sides")
            << -0.5f << 0.5f << QPointF(-25, 60 + 25 * 0.3) << QPointF(235, 60 - 235 * 0.3)
            << "DMC 1: y=-5.000e-001x+5.000e-001";
        QTest::newRow("flat above the frame: no line")
            << 0.0f << 5.0f << QPointF() << QPointF() << "DMC 1: y=0.000e+000x+5.000e+000";
    }
    void regressionLineClippedAtFrame() {
        QFETCH(float, a1);
        QFETCH(float, a0);
        QFETCH(QPointF, start);
        QFETCH(QPointF, end);
        QFETCH(QString, equation);
        GraphFixture graph;
        graph.SetSamples(Ramp(0, 1, 0, 1));
        CRegressionSet& regressions = *graph.doc.m_pRegressions;
        regressions.m_bComputed[1] = 1;
        regressions.m_dCoef[1][0] = a0;
        regressions.m_dCoef[1][1] = a1;
        const auto items = graph.Draw();

        QVERIFY(FindText(items, equation));
        QVector<RecordingDevice::Item> lines;
        for (const auto& item : Select(items, RecordingDevice::Line, Qt::black))
            if (item.penWidth == 0) lines << item; // the caller's thin pen
        const auto labels = Texts(items).filter("(1)");
        if (start.isNull()) {
            QVERIFY(lines.isEmpty());
            QVERIFY(labels.isEmpty());
            return;
        }
        QCOMPARE(lines.size(), 1);
        QCOMPARE(labels.size(), 2);
        const QPolygonF& ends = lines[0].points;
        QVERIFY2(QLineF(ends[0], start * 100).length() <= 2 &&
                     QLineF(ends[1], end * 100).length() <= 2,
                 qPrintable(QString("%1,%2 %3,%4")
                                .arg(ends[0].x())
                                .arg(ends[0].y())
                                .arg(ends[1].x())
                                .arg(ends[1].y())));
    }

    void intersectLines_data() {
        QTest::addColumn<double>("angle1");
        QTest::addColumn<double>("angle2");
        QTest::addColumn<QPointF>("expected");
        // Line 1 through (1, 2), line 2 through (3, 0).
        QTest::newRow("vertical and rising") << 1.570795 << M_PI / 4 << QPointF(1, -2);
        QTest::newRow("rising and vertical") << M_PI / 4 << 1.570795 << QPointF(3, 4);
        QTest::newRow("parallel") << 0.3 << 0.3 << QPointF(1e10, 1e10);
        QTest::newRow("horizontal and falling") << 0.0 << -M_PI / 4 << QPointF(1, 2);
    }
    void intersectLines() {
        QFETCH(double, angle1);
        QFETCH(double, angle2);
        QFETCH(QPointF, expected);
        double x, y;
        CPlotter::IntersectLines(1, 2, angle1, 3, 0, angle2, &x, &y);
        QVERIFY2(std::fabs(x - expected.x()) < 1e-4 && std::fabs(y - expected.y()) < 1e-4,
                 qPrintable(QString("%1, %2").arg(x).arg(y)));
    }

    void polynomialCoefficientList_data() {
        QTest::addColumn<float>("secondX");
        QTest::addColumn<bool>("walked");
        QTest::newRow("points given right to left") << 0.0f << true;
        QTest::newRow("both points at the same x") << 1.0f << false;
    }
    void polynomialCoefficientList() {
        QFETCH(float, secondX);
        QFETCH(bool, walked);
        GraphFixture graph;
        graph.SetSamples(Ramp(0, 1, 0, 1));
        CRegressionSet& regressions = *graph.doc.m_pRegressions;
        regressions.m_bComputed[2] = 1;
        regressions.m_nType[2] = 1; // degree 2
        for (double& a : regressions.m_dCoef[2])
            a = 0;
        regressions.m_dCoef[2][0] = 0.5;
        regressions.m_dCoef[2][2] = -0.25;
        regressions.m_fPoint1[2][0] = 1;
        regressions.m_fPoint1[2][1] = 0.25f;
        regressions.m_fPoint2[2][0] = secondX;
        regressions.m_fPoint2[2][1] = 0.5f;
        const auto items = graph.Draw();

        // The list stands 150 mm left of the frame's right edge, a line per
        // non-zero coefficient.
        const auto* a0 = FindText(items, "a0[2]=  5.000e-001");
        const auto* a2 = FindText(items, "a2[2]= -2.500e-001");
        QVERIFY2(a0 && a2, qPrintable(Texts(items).join('|')));
        QVERIFY(Texts(items).filter("a1[2]").isEmpty());
        const float right = graph.doc.m_fFrameRight, top = graph.doc.m_fFrameTop;
        QCOMPARE(a0->origin, QPointF(int((right - 150) * 100), int((top - 6) * 100)));
        QCOMPARE(a2->origin.y(), double(int((top - 6 - 2 * 5.0f) * 100)));

        int pieces = 0;
        for (const auto& item : Select(items, RecordingDevice::Line, Qt::black))
            if (item.penWidth == 40) ++pieces; // 0.4 mm
        if (walked) {
            QVERIFY2(pieces >= 499 && pieces <= 501, qPrintable(QString::number(pieces)));
            QCOMPARE(regressions.m_fPoint1[2][0], 1.0f); // the slot is left as picked
            QCOMPARE(regressions.m_fPoint1[2][1], 0.25f);
        } else {
            QCOMPARE(pieces, 0);
        }
        // The two chosen points get light-green markers.
        int markers = 0;
        for (const auto& item : items)
            if (item.kind == RecordingDevice::Rect && item.brushColour == QColor(127, 255, 127))
                ++markers;
        QCOMPARE(markers, 2);
    }

    // A paint leaves the document as it was: a polynomial picked right to left
    // keeps each point with its row, so that picking one again and fitting
    // keeps the fitted rows, the drawn span and the markers in agreement, and
    // the file saved after a paint is the one saved before.
    void paintChangesNothing() {
        GraphFixture graph;
        QVector<QPointF> parabola;
        for (int x = 0; x <= 10; ++x)
            parabola << QPointF(x, x * x);
        graph.SetSamples(parabola);
        CRegressionPanel panel(&graph.doc);
        panel.SelectType(1); // degree 2
        auto pick = [&](int point, int row) {
            panel.StartPicking(point, panel.m_fTolerance);
            panel.PickPoint(true, std::int16_t(row), 0, 1, 0, 0, 0);
        };
        auto compute = [&] {
            QVERIFY(panel.StartCompute());
            panel.Tick(CRegressionPanel::kPauseMs);
            QVERIFY(!panel.Computing());
        };
        pick(1, 8);
        pick(2, 2);
        compute();
        QVERIFY(graph.doc.m_pRegressions->m_bComputed[0]);

        QTemporaryDir dir;
        const QString before = dir.filePath(QStringLiteral("avant.cod"));
        const QString after = dir.filePath(QStringLiteral("apres.cod"));
        QString error;
        QVERIFY2(graph.doc.Save(before, &error), qPrintable(error));
        graph.Draw();
        QVERIFY2(graph.doc.Save(after, &error), qPrintable(error));
        QCOMPARE(ReadFileBytes(after), ReadFileBytes(before));

        pick(1, 6);
        compute();
        const CRegressionSet& slot = *graph.doc.m_pRegressions;
        const float* points[] = {slot.m_fPoint1[0], slot.m_fPoint2[0]};
        for (int k = 0; k < 2; ++k) {
            const int row = slot.m_nPointRow[0][k];
            QCOMPARE(points[k][0], graph.doc.m_fT[row][0]);
            QCOMPARE(points[k][1], graph.doc.m_fT[row][1]);
        }
        RegressionRange range;
        QVERIFY(SlotRange(slot, 0, &range));
        QCOMPARE(range.firstRow, 2);
        QCOMPARE(range.lastRow, 6);
    }

    void legendAndCursorPoint() {
        GraphFixture graph;
        graph.SetSamples(Ramp(0, 1, 0, 1));
        graph.doc.m_bLegend = 1;
        graph.doc.m_astrLegend = {"Ligne 1", "Ligne 2"};
        graph.app.m_fRefX = graph.app.m_fRefY = 0;
        graph.app.m_fMouseX = 5; // shown units: x and y multipliers are 10
        graph.app.m_fMouseY = 2.5f;
        const auto items = graph.Draw(true);
        const auto* first = FindText(items, "Ligne 1");
        const auto* second = FindText(items, "Ligne 2");
        QVERIFY(first && second);
        QCOMPARE(first->penColour, QColor(0, 0, 255));
        QCOMPARE(first->origin, QPointF(8000, 9000));
        // One line lower by the font's height and external leading: Liberation
        // Sans (Arial's metrics) at 4.5 mm takes (1854 + 434 + 67) / 2048 of it.
        const double spacing = first->origin.y() - second->origin.y();
        QVERIFY2(std::fabs(spacing - 450 * 2355 / 2048.0) <= 3,
                 qPrintable(QString::number(spacing)));
        const auto* cursor = FindText(items, "5.000, 2.500");
        QVERIFY(cursor);
        QCOMPARE(cursor->penColour, QColor(0, 0, 255));
        QCOMPARE(cursor->origin, QPointF(0.5 * 200 * 100, (0.25 * 120 + 1.5) * 100));
    }

    void printingClearsCursor() {
        GraphFixture graph;
        graph.SetSamples(Ramp(0, 1, 0, 1));
        graph.app.m_fRefX = graph.app.m_fRefY = 0;
        QImage page(800, 600, QImage::Format_RGB32);
        QPainter painter(&page);
        DrawGraphPage(painter, graph.doc, graph.app, true, false);
        QVERIFY(IsNoValue(graph.app.m_fRefX) && IsNoValue(graph.app.m_fRefY));
    }

    void columnsOutOfRangeTakeCurveZero() {
        GraphFixture graph;
        QImage scratch(10, 10, QImage::Format_RGB32);
        QPainter painter(&scratch);
        CPlotter plotter(&painter, &graph.doc, false);
        plotter.SetXColumn(7, 9, "x");
        plotter.SetYColumn(-1, 3, "y");
        QCOMPARE(plotter.m_nXCol[0], std::int16_t(0));
        QCOMPARE(plotter.m_nYCol[0], std::int16_t(3));
        QCOMPARE(plotter.m_strXLabel[0], QString("x"));
        for (int curve = 1; curve < CPlotter::kCurves; ++curve)
            QCOMPARE(plotter.m_nXCol[curve], std::int16_t(-1));
    }

    // Every operation hands the painter back with its pen, brush, font and
    // text colour; only the graph's window-origin move stays.
    void drawingStateRestored() {
        GraphFixture graph;
        graph.SetSamples(Ramp(0, 1, 0, 1));
        QImage scratch(270, 190, QImage::Format_RGB32);
        QPainter painter(&scratch);
        const QPen pen(Qt::darkCyan, 7);
        const QBrush brush(Qt::yellow);
        QFont font("Courier");
        font.setPixelSize(77);
        painter.setPen(pen);
        painter.setBrush(brush);
        painter.setFont(font);
        CPlotter plotter(&painter, &graph.doc, false);
        plotter.SetTextColor(0x123456);
        plotter.SetXColumn(0, 0, "x");
        plotter.SetYColumn(0, 1, "y");
        QVERIFY(!plotter.DrawGraph());
        plotter.DrawTextBlock(0, 0, {"a"}, 0xFF0000);
        plotter.DrawRegressionLine(0, 1, 0);
        plotter.DrawPolynomial(0, *graph.doc.m_pRegressions);
        plotter.DrawMarker(0xFF, 0.5f, 0.5f);
        plotter.DrawCursorPoint(0xFF, 0.5f, 0.5f);
        QCOMPARE(painter.pen(), pen);
        QCOMPARE(painter.brush(), brush);
        QCOMPARE(painter.font(), font);
        QCOMPARE(plotter.TextColor(), COLORREF(0x123456));
    }
};

QTEST_MAIN(TestGraphDraw)
#include "tst_graphdraw.moc"
