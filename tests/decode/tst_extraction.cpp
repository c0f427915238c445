#include <QTest>
#include <QVector>

#include "common/novalue.h"
#include "decode/extraction.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {

constexpr float N = kNoValue;

struct Point {
    float x, y;
};

} // namespace

Q_DECLARE_METATYPE(QVector<Point>)

class TestExtraction : public QObject {
    Q_OBJECT
  private slots:
    void erasesOutsideTheZone_data() {
        QTest::addColumn<QVector<float>>("zone"); // xmin, xmax, ymin, ymax
        QTest::addColumn<QVector<Point>>("points");
        QTest::addColumn<QVector<bool>>("kept");
        const QVector<float> box{0, 10, -1, 1};
        QTest::newRow("inside kept, outside erased")
            << box << QVector<Point>{{5, 0}, {11, 0}, {5, 2}, {-1, 0}, {5, -2}}
            << QVector<bool>{true, false, false, false, false};
        QTest::newRow("samples on every border are erased")
            << box << QVector<Point>{{0, 0}, {10, 0}, {5, -1}, {5, 1}, {0.001f, 0.999f}}
            << QVector<bool>{false, false, false, false, true};
        QTest::newRow("a missing time or value erases the row")
            << box << QVector<Point>{{N, 0}, {5, N}, {N, N}} << QVector<bool>{false, false, false};
        QTest::newRow("unbounded zone keeps every sample")
            << QVector<float>{-1e10f, 1e10f, -1e10f, 1e10f}
            << QVector<Point>{{-1e9f, 1e9f}, {0, 0}, {9.9e9f, -9.9e9f}, {N, 1}}
            << QVector<bool>{true, true, true, false};
        QTest::newRow("empty zone erases all")
            << QVector<float>{5, 5, 0, 0} << QVector<Point>{{5, 0}, {4, 1}}
            << QVector<bool>{false, false};
    }
    void erasesOutsideTheZone() {
        QFETCH(QVector<float>, zone);
        QFETCH(QVector<Point>, points);
        QFETCH(QVector<bool>, kept);
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nChannels = 3;
        for (int i = 0; i < points.size(); ++i) {
            doc.m_fT[i][2] = points[i].x;
            doc.m_fT[i][3] = points[i].y;
            doc.m_fT[i][0] = 100.0f + i; // the other channel
            doc.m_fT[i][1] = 200.0f + i;
        }
        doc.m_nPoints = static_cast<std::int16_t>(points.size());
        ExtractionZone box;
        box.fXMin = zone[0];
        box.fXMax = zone[1];
        box.fYMin = zone[2];
        box.fYMax = zone[3];

        EraseOutsideZone(&doc, 2, 3, box);

        for (int i = 0; i < points.size(); ++i) {
            const QByteArray row = QByteArray::number(i);
            if (kept[i]) {
                QCOMPARE(doc.m_fT[i][2], points[i].x);
                QCOMPARE(doc.m_fT[i][3], points[i].y);
            } else {
                QVERIFY2(IsNoValue(doc.m_fT[i][2]) && IsNoValue(doc.m_fT[i][3]), row);
            }
            QCOMPARE(doc.m_fT[i][0], 100.0f + i);
            QCOMPARE(doc.m_fT[i][1], 200.0f + i);
        }
    }

    void repeatedZonesEraseMore() {
        CZbApp app;
        CZbDoc doc(&app);
        for (int i = 0; i < 100; ++i) {
            doc.m_fT[i][0] = static_cast<float>(i);
            doc.m_fT[i][1] = 1.0f;
        }
        doc.m_nPoints = 100;
        ExtractionZone zone;
        zone.fXMin = 10;
        zone.fXMax = 90;
        QCOMPARE(EraseOutsideZone(&doc, 0, 1, zone), 21); // 0..10 and 90..99
        zone.fXMin = 20;
        QCOMPARE(EraseOutsideZone(&doc, 0, 1, zone), 10);
        QCOMPARE(EraseOutsideZone(&doc, 0, 1, zone), 0);
        QVERIFY(IsNoValue(doc.m_fT[20][0]));
        QCOMPARE(doc.m_fT[21][0], 21.0f);
    }

    void zoneFromShownUnits_data() {
        QTest::addColumn<float>("multX");
        QTest::addColumn<float>("multY");
        QTest::addColumn<QVector<float>>("shown"); // xa, ya, xb, yb
        QTest::addColumn<QVector<float>>("zone");  // xmin, xmax, ymin, ymax
        QTest::newRow("left, bottom, right, top")
            << 1.0f << 1.0f << QVector<float>{1, 2, 3, 4} << QVector<float>{1, 3, 2, 4};
        // The view hands the top-left corner first: the zone is the same.
        QTest::newRow("top-left then bottom-right")
            << 1.0f << 1.0f << QVector<float>{1, 4, 3, 2} << QVector<float>{1, 3, 2, 4};
        QTest::newRow("multipliers divide")
            << 1000.0f << 10.0f << QVector<float>{500, 20, -250, -10}
            << QVector<float>{-0.25f, 0.5f, -1, 2};
    }
    void zoneFromShownUnits() {
        QFETCH(float, multX);
        QFETCH(float, multY);
        QFETCH(QVector<float>, shown);
        QFETCH(QVector<float>, zone);
        CZbDoc doc(nullptr);
        doc.m_fMultX = multX;
        doc.m_fMultY = multY;
        const ExtractionZone got = ZoneFromShown(doc, shown[0], shown[1], shown[2], shown[3]);
        QCOMPARE(got.fXMin, zone[0]);
        QCOMPARE(got.fXMax, zone[1]);
        QCOMPARE(got.fYMin, zone[2]);
        QCOMPARE(got.fYMax, zone[3]);
    }

    void defaultChannel_data() {
        QTest::addColumn<int>("display");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("index");
        QTest::newRow("first displayed") << (2 | 4) << 7 << 1;
        QTest::newRow("displayed beats the mask") << 16 << 1 << 4;
        QTest::newRow("edges only: first held") << 64 << (8 | 16) << 3;
        QTest::newRow("nothing at all: CH1") << 64 << 0 << 0;
    }
    void defaultChannel() {
        QFETCH(int, display);
        QFETCH(int, channels);
        QFETCH(int, index);
        CZbDoc doc(nullptr);
        doc.m_nDisplay = static_cast<std::int16_t>(display);
        doc.m_nChannels = static_cast<std::int16_t>(channels);
        QCOMPARE(DefaultChannelIndex(doc), index);
    }
};

QTEST_GUILESS_MAIN(TestExtraction)
#include "tst_extraction.moc"
