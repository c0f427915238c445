#include <QTest>
#include <QVector>
#include <memory>
#include <random>

#include "code/rotation.h"
#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {

constexpr float N = kNoValue;

// A table whose column 0 holds the times and column 1 the values.
std::unique_ptr<SampleRow[]> Table(const QVector<float>& times, const QVector<float>& values) {
    std::unique_ptr<SampleRow[]> table(new SampleRow[values.size()]);
    for (int i = 0; i < values.size(); ++i) {
        for (float& cell : table[i])
            cell = N;
        table[i][0] = times[i];
        table[i][1] = values[i];
    }
    return table;
}

QVector<float> Column(const SampleRow* table, int rows, int column) {
    QVector<float> values;
    for (int i = 0; i < rows; ++i)
        values << table[i][column];
    return values;
}

// A scan-like trace: two levels, a slope between them, a little noise.
void FillTrace(CZbDoc* doc, int rows, int xCol, int yCol, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 0.05f);
    for (int i = 0; i < rows; ++i) {
        doc->m_fT[i][xCol] = 1e-6f * static_cast<float>(i) - 2.5e-4f;
        doc->m_fT[i][yCol] = ((i / 17) % 2 ? 4.6f : 0.3f) + noise(random);
    }
    doc->m_nPoints = static_cast<std::int16_t>(rows);
}

} // namespace

class TestRotation : public QObject {
    Q_OBJECT
  private slots:
    void transforms_data() {
        QTest::addColumn<bool>("invert");
        QTest::addColumn<QVector<float>>("times");
        QTest::addColumn<QVector<float>>("values");
        QTest::addColumn<QVector<float>>("expected");
        QTest::newRow("reverse") << false << QVector<float>{0, 1, 2, 3}
                                 << QVector<float>{1, 2, 3, 4} << QVector<float>{4, 3, 2, 1};
        QTest::newRow("reverse odd count, missing values move too")
            << false << QVector<float>{0, 1, 2} << QVector<float>{N, 2, 3}
            << QVector<float>{3, 2, N};
        QTest::newRow("reverse one row")
            << false << QVector<float>{0} << QVector<float>{7} << QVector<float>{7};
        QTest::newRow("invert about the middle level")
            << true << QVector<float>{0, 1, 2} << QVector<float>{0, 5, 1}
            << QVector<float>{5, 0, 4};
        QTest::newRow("invert negative levels")
            << true << QVector<float>{0, 1, 2} << QVector<float>{-3, -1, -2}
            << QVector<float>{-1, -3, -2};
        QTest::newRow("missing values stay missing")
            << true << QVector<float>{0, 1, 2, 3} << QVector<float>{1, N, 3, 2}
            << QVector<float>{3, N, 1, 2};
        // A value whose time is missing does not set the range but is mirrored.
        QTest::newRow("value without time")
            << true << QVector<float>{0, N, 2} << QVector<float>{1, 100, 3}
            << QVector<float>{3, -96, 1};
        QTest::newRow("no valid row leaves all")
            << true << QVector<float>{N, N} << QVector<float>{1, 2} << QVector<float>{1, 2};
        QTest::newRow("flat trace")
            << true << QVector<float>{0, 1} << QVector<float>{2, 2} << QVector<float>{2, 2};
    }
    void transforms() {
        QFETCH(bool, invert);
        QFETCH(QVector<float>, times);
        QFETCH(QVector<float>, values);
        QFETCH(QVector<float>, expected);
        auto table = Table(times, values);
        const int rows = static_cast<int>(values.size());
        if (invert)
            InvertTrace(table.get(), rows, 0, 1);
        else
            ReverseTrace(table.get(), rows, 1);
        QCOMPARE(Column(table.get(), rows, 1), expected);
        QCOMPARE(Column(table.get(), rows, 0), times);
    }

    void channelOfDisplay_data() {
        QTest::addColumn<int>("display");
        QTest::addColumn<int>("channel");
        QTest::newRow("CH1") << 1 << 1;
        QTest::newRow("CH1 and CH2: the last") << 3 << 2;
        QTest::newRow("MATH with edges") << (16 | 64) << 16;
        QTest::newRow("REF1 and logic level") << (4 | 128) << 4;
        QTest::newRow("edges only") << 64 << 0;
        QTest::newRow("code sheet") << 0 << 0;
    }
    void channelOfDisplay() {
        QFETCH(int, display);
        QFETCH(int, channel);
        QCOMPARE(int(RotationChannel(static_cast<std::int16_t>(display))), channel);
    }

    void turnsTheDisplayedChannelOnly() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nChannels = 3;
        doc.m_nDisplay = 3 | 64; // CH2, in columns 2-3, is the last displayed
        FillTrace(&doc, 300, 0, 1, 1);
        FillTrace(&doc, 300, 2, 3, 2);
        doc.m_fT[10][4] = 1.0f;
        const QVector<float> ch1 = Column(doc.m_fT.get(), 300, 1);
        const QVector<float> ch2 = Column(doc.m_fT.get(), 300, 3);
        app.m_fRefX = 1;
        app.m_fRefY = 2;
        app.m_nRefPixelX = 3;
        app.m_nRefPixelY = 4;

        QVERIFY(RotateTrace(&doc, &app, false, true));
        QCOMPARE(doc.m_nRotation, std::int16_t(2));
        QCOMPARE(Column(doc.m_fT.get(), 300, 1), ch1);
        QCOMPARE(doc.m_fT[0][3], ch2[299]);
        QCOMPARE(doc.m_fT[299][3], ch2[0]);
        QCOMPARE(doc.m_fT[10][4], 1.0f);
        QVERIFY(IsNoValue(doc.m_fT[300][3])); // rows past the count are not pulled in
        QVERIFY(!app.HasReference());
        QCOMPARE(app.m_nRefPixelX, std::int16_t(0));
        QCOMPARE(app.m_nRefPixelY, std::int16_t(0));
    }

    void twiceRestoresTheTrace_data() {
        QTest::addColumn<bool>("aboutX");
        QTest::addColumn<bool>("aboutY");
        QTest::addColumn<int>("rotation");
        QTest::newRow("about x") << true << false << 1;
        QTest::newRow("about y") << false << true << 2;
        QTest::newRow("both") << true << true << 3;
    }
    void twiceRestoresTheTrace() {
        QFETCH(bool, aboutX);
        QFETCH(bool, aboutY);
        QFETCH(int, rotation);
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nDisplay = 1;
        FillTrace(&doc, 5000, 0, 1, 7);
        doc.m_fT[123][1] = kNoValue;
        const QVector<float> before = Column(doc.m_fT.get(), 5000, 1);

        QVERIFY(RotateTrace(&doc, &app, aboutX, aboutY));
        QCOMPARE(int(doc.m_nRotation), rotation);
        QVERIFY(Column(doc.m_fT.get(), 5000, 1) != before);
        QVERIFY(RotateTrace(&doc, &app, aboutX, aboutY));
        const QVector<float> after = Column(doc.m_fT.get(), 5000, 1);
        for (int i = 0; i < 5000; ++i)
            QVERIFY2(IsNoValue(before[i]) ? IsNoValue(after[i])
                                          : qAbs(after[i] - before[i]) <= 1e-6f,
                     qPrintable(QString::number(i)));
    }

    // After an extraction the erased rows have neither time nor value. Both
    // boxes: the middle level comes from the trace as it was, then the values
    // are reversed, then inverted. Once reversed, values sit beside other
    // rows' times; only a zone that the reversal maps onto itself keeps its
    // samples, and only then does doing it again give the trace back.
    void bothAfterAnExtraction_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("restores");
        QTest::newRow("zone in the first third") << 20 << 99 << false;
        QTest::newRow("zone from row 50 to the end") << 50 << 299 << false;
        QTest::newRow("zone centred on the middle row") << 30 << 269 << true;
    }
    void bothAfterAnExtraction() {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, restores);
        constexpr int kRows = 300;
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nDisplay = 1;
        FillTrace(&doc, kRows, 0, 1, 5);
        doc.m_fT[first + 5][1] = -2.0f; // the lowest level, early in the zone
        doc.m_fT[last - 5][1] = 9.0f;   // the highest, late in it
        for (int i = 0; i < kRows; ++i)
            if (i < first || i > last) doc.m_fT[i][0] = doc.m_fT[i][1] = N;
        const QVector<float> before = Column(doc.m_fT.get(), kRows, 1);
        const double twiceMiddle = 9.0 + -2.0;

        QVERIFY(RotateTrace(&doc, &app, true, true));
        QCOMPARE(int(doc.m_nRotation), 3);
        for (int i = 0; i < kRows; ++i) {
            const float source = before[kRows - 1 - i];
            const float expected = IsNoValue(source) ? N : float(twiceMiddle - source);
            QVERIFY2(doc.m_fT[i][1] == expected, qPrintable(QString::number(i)));
        }
        if (!restores) return;
        QVERIFY(RotateTrace(&doc, &app, true, true));
        const QVector<float> after = Column(doc.m_fT.get(), kRows, 1);
        for (int i = 0; i < kRows; ++i)
            QVERIFY2(IsNoValue(before[i]) ? IsNoValue(after[i])
                                          : qAbs(after[i] - before[i]) <= 1e-6f,
                     qPrintable(QString::number(i)));
    }

    void nothingToTurn_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("display");
        QTest::addColumn<bool>("aboutX");
        QTest::addColumn<bool>("aboutY");
        QTest::newRow("no box ticked") << 100 << 1 << false << false;
        QTest::newRow("no samples") << 0 << 1 << true << true;
        QTest::newRow("no channel displayed") << 100 << 64 << true << true;
    }
    void nothingToTurn() {
        QFETCH(int, points);
        QFETCH(int, display);
        QFETCH(bool, aboutX);
        QFETCH(bool, aboutY);
        CZbApp app;
        CZbDoc doc(&app);
        FillTrace(&doc, 100, 0, 1, 3);
        doc.m_nPoints = static_cast<std::int16_t>(points);
        doc.m_nDisplay = static_cast<std::int16_t>(display);
        doc.m_nRotation = 2;
        app.m_fRefX = 1;
        const QVector<float> before = Column(doc.m_fT.get(), 100, 1);
        QVERIFY(!RotateTrace(&doc, &app, aboutX, aboutY));
        QCOMPARE(Column(doc.m_fT.get(), 100, 1), before);
        QCOMPARE(doc.m_nRotation, std::int16_t(2));
        QCOMPARE(app.m_fRefX, 1.0f);
    }
};

QTEST_GUILESS_MAIN(TestRotation)
#include "tst_rotation.moc"
