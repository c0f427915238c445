#include <QElapsedTimer>
#include <QMap>
#include <QPointF>
#include <QTest>
#include <QVector>
#include <cmath>

#include "common/format.h"
#include "graph/graphscale.h"
#include "graphsamples.h"

namespace {

constexpr float kFrameWidth = 270, kFrameHeight = 190; // the document's default frame

// Rows of six floats: curve 0 in columns 0-1, curve 1 in columns 2-3.
struct Table {
    QVector<float> cells;
    GraphCurves curves;

    static Table OneCurve(const QVector<QPointF>& points) {
        Table table;
        for (const QPointF& p : points)
            table.cells << float(p.x()) << float(p.y()) << 1e10f << 1e10f << 1e10f << 1e10f;
        table.curves.xColumn[0] = 0;
        table.curves.yColumn[0] = 1;
        return table;
    }
    int Rows() const { return cells.size() / 6; }
    GraphScale Scale(const GraphWindow& window = GraphWindow()) const {
        return ComputeGraphScale(cells.constData(), Rows(), curves, window, kFrameWidth,
                                 kFrameHeight);
    }
};

// The value of a named quantity of the scale; "lowY" is the mm position of
// the lowest sample relative to the x axis.
double Quantity(const GraphScale& s, const QString& name) {
    const QMap<QString, double> values = {{"mmPerUnitX", s.mmPerUnitX},
                                          {"mmPerUnitY", s.mmPerUnitY},
                                          {"stepX", s.stepX},
                                          {"stepY", s.stepY},
                                          {"multX", s.multX},
                                          {"multY", s.multY},
                                          {"originX", s.originX},
                                          {"originY", s.originY},
                                          {"left", s.left},
                                          {"bottom", s.bottom},
                                          {"xMin", s.xMin},
                                          {"xMax", s.xMax},
                                          {"lowY", (s.yMin - s.originY) * s.mmPerUnitY}};
    Q_ASSERT(values.contains(name));
    return values.value(name);
}

} // namespace

class TestGraphScale : public QObject {
    Q_OBJECT
  private slots:
    // Expectations are "name=value" pairs; each value is checked to the
    // digits it is written with, so "12.250029" tells the single-precision
    // origin from an exact 12.25.
    void workedCases_data() {
        QTest::addColumn<QVector<QPointF>>("points");
        QTest::addColumn<QString>("expect");
        QTest::newRow("0.02..0.98 by -1.2..4.7")
            << Ramp(0.02, 0.98, -1.2, 4.7)
            << "mmPerUnitX=208.33 mmPerUnitY=20.34 stepX=0.1 stepY=0.5 multX=10 multY=1 "
               "originX=0 originY=0 left=-25.83 bottom=-54.41";
        QTest::newRow("12.3..12.9")
            << Ramp(12.3, 12.9, 0, 1) << "stepX=0.05 multX=0.1 originX=12.250029 left=-30";
        QTest::newRow("all negative -4.4..-0.1")
            << Ramp(0, 1, -4.4, -0.1)
            << "mmPerUnitY=27.91 stepY=0.5 originY=-4.0 bottom=-30 lowY=-11.16";
        QTest::newRow("all negative -4.5..-0.1")
            << Ramp(0, 1, -4.5, -0.1) << "stepY=0.5 originY=-4.4999995 bottom=-30";
        // The lowest x stands 32.67 mm left of the axis (a step of 0.5 is
        // 33.33 mm): the frame leaves 10 mm beyond it rather than 30 mm from
        // the axis.
        QTest::newRow("all negative x -3.99..-0.99")
            << Ramp(-3.99, -0.99, 0, 1) << "stepX=0.5 originX=-3.5 left=-42.67";
        QTest::newRow("single distinct x")
            << Ramp(5, 5, 0, 1) << "xMin=4.99 xMax=5.01 mmPerUnitX=10000";
        QTest::newRow("largest magnitude 0.004") << Ramp(0, 1, 0.001, 0.004) << "multY=999.99994";
        QTest::newRow("logic levels 0 and 1")
            << QVector<QPointF>{{0, 0}, {1, 1}, {2, 1}, {3, 0}} << "multY=9.999999 stepY=0.1";
        QTest::newRow("2.9 steps quartered") << Ramp(0, 2.9, 0, 1) << "stepX=0.25";
        QTest::newRow("range of 1e-30 widened")
            << Ramp(1e-30, 2e-30, 0, 1) << "xMin=-0.01 xMax=0.01 stepX=0.0025 multX=999.99994";
    }
    void workedCases() {
        QFETCH(QVector<QPointF>, points);
        QFETCH(QString, expect);
        const GraphScale scale = Table::OneCurve(points).Scale();
        QVERIFY(scale.valid);
        for (const QString& pair : expect.split(' ')) {
            const QString name = pair.section('=', 0, 0), written = pair.section('=', 1);
            const int decimals =
                written.contains('.') ? written.size() - written.indexOf('.') - 1 : 0;
            const QString got = QString::number(Quantity(scale, name), 'f', decimals);
            QVERIFY2(got == written, qPrintable(QString("%1: got %2, expected %3 (%4)")
                                                    .arg(name, got, written)
                                                    .arg(Quantity(scale, name), 0, 'g', 9)));
        }
    }

    void logicLevelOneReadsTen() {
        const GraphScale s = Table::OneCurve({{0, 0}, {1, 1}, {2, 1}}).Scale();
        QStringList labels;
        for (float v : TickOffsets(s.stepY, s.mmPerUnitY, s.bottom + 5, s.top - 5, true))
            labels << Sprintf("%1.2f", (s.originY + v) * s.multY);
        QVERIFY2(labels.contains("10.00"), qPrintable(labels.join(' ')));
    }

    void nothingToDraw_data() {
        QTest::addColumn<QVector<QPointF>>("points");
        QTest::addColumn<float>("windowX1");
        QTest::addColumn<float>("windowX2");
        QTest::newRow("one sample inside the window")
            << QVector<QPointF>{{0, 0}, {1, 1}, {2, 2}} << 0.5f << 1.5f;
        QTest::newRow("bounds are strict") << QVector<QPointF>{{1, 0}, {2, 1}} << 1.0f << 2.0f;
        QTest::newRow("no-value rows")
            << QVector<QPointF>{{1e10, 0}, {1, 1e10}, {2, 2}} << -1e10f << 1e10f;
    }
    void nothingToDraw() {
        QFETCH(QVector<QPointF>, points);
        QFETCH(float, windowX1);
        QFETCH(float, windowX2);
        GraphWindow window;
        window.x1 = windowX1;
        window.x2 = windowX2;
        QVERIFY(!Table::OneCurve(points).Scale(window).valid);
    }

    // Two curves, one sample each inside the window: nothing, even though the
    // window holds two samples in all.
    void oneSamplePerCurve() {
        Table table = Table::OneCurve({{0, 0}, {5, 5}});
        table.cells[2] = 9; // curve 1, row 0 outside the window
        table.cells[3] = 9;
        table.cells[8] = 1;
        table.cells[9] = 1;
        table.curves.xColumn[1] = 2;
        table.curves.yColumn[1] = 3;
        GraphWindow window;
        window.x2 = 3;
        QVERIFY(!table.Scale(window).valid);
        window.x2 = 10; // now curve 1 has two samples
        QVERIFY(table.Scale(window).valid);
    }

    // The single-precision searches lose the step far from zero; they must
    // still return at once with a usable graph.
    void boundedSearches_data() {
        QTest::addColumn<QVector<QPointF>>("points");
        QTest::newRow("x constant at 1e8") << Ramp(1e8, 1e8, 0, 1);
        QTest::newRow("x from 1e8 to 1e8+16") << Ramp(1e8, 1e8 + 16, 0, 1, 3);
        QTest::newRow("y near 1e8") << Ramp(0, 1, 1e8, 1e8 + 64, 9);
        QTest::newRow("negative, near -3e7") << Ramp(0, 1, -3e7, -3e7 + 8, 3);
    }
    void boundedSearches() {
        QFETCH(QVector<QPointF>, points);
        QElapsedTimer timer;
        timer.start();
        const GraphScale s = Table::OneCurve(points).Scale();
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(s.valid);
        for (float value : {s.mmPerUnitX, s.mmPerUnitY, s.stepX, s.stepY, s.originX, s.originY})
            QVERIFY(std::isfinite(value));
        QVERIFY(s.mmPerUnitX > 0 && s.mmPerUnitY > 0);
        // Every sample lands inside the frame.
        for (const QPointF& p : points) {
            const float x = (float(p.x()) - s.originX) * s.mmPerUnitX;
            const float y = (float(p.y()) - s.originY) * s.mmPerUnitY;
            QVERIFY2(s.left < x && x < s.right && s.bottom < y && y < s.top,
                     qPrintable(QString("%1, %2").arg(x).arg(y)));
        }
    }

    void originSearch_data() {
        QTest::addColumn<float>("lo");
        QTest::addColumn<float>("hi");
        QTest::addColumn<float>("step");
        QTest::addColumn<double>("expected");
        QTest::newRow("1e8 with step 0.1") << 1e8f << 1.5e8f << 0.1f << 1e8;
        QTest::newRow("-1e8 with step 0.1") << -1.5e8f << -1e8f << 0.1f << -1.5e8;
        QTest::newRow("exact multiple steps back") << 2.0f << 3.0f << 0.5f << 1.5;
        QTest::newRow("spans zero") << -1.0f << 1.0f << 0.5f << 0.0;
    }
    void originSearch() {
        QFETCH(float, lo);
        QFETCH(float, hi);
        QFETCH(float, step);
        QFETCH(double, expected);
        QElapsedTimer timer;
        timer.start();
        const float origin = AxisOrigin(lo, hi, step);
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(std::fabs(origin - expected) <= std::max(1e-6 * std::fabs(expected), 1e-6));
    }

    void degenerateInputs_data() {
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::newRow("frame narrower than the margins") << 60.0f << 190.0f;
        QTest::newRow("no frame") << 0.0f << 0.0f;
        QTest::newRow("frame of nan") << std::nanf("") << 190.0f;
    }
    void degenerateInputs() {
        QFETCH(float, width);
        QFETCH(float, height);
        const Table table = Table::OneCurve(Ramp(0, 1, 0, 1));
        QVERIFY(!ComputeGraphScale(table.cells.constData(), table.Rows(), table.curves,
                                   GraphWindow(), width, height)
                     .valid);
    }

    void tickOffsetsAccumulate() {
        // x ticks start at one step, y ticks at the origin; both then go down.
        QCOMPARE(TickOffsets(1, 10, -25, 35, false), (std::vector<float>{1, 2, 3, -1, -2}));
        QCOMPARE(TickOffsets(1, 10, -5, 15, true), (std::vector<float>{0, 1}));
        QCOMPARE(TickOffsets(1, 10, -25, -5, true), (std::vector<float>{-1, -2}));
    }
};

QTEST_GUILESS_MAIN(TestGraphScale)
#include "tst_graphscale.moc"
