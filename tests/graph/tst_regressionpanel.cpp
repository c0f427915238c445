// The regression dialog's logic and the zoom selection, without widgets:
// picking, the computing pause, the coefficient lines, the slots.
#include <QTest>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/regressionpanel.h"
#include "graph/zoomselection.h"

namespace {

const QString kOpening = QStringLiteral(
    "Cliquez sur Point1 et Point2 pour sélectioner 2 points appartenant à la même courbe");
const QString kSuccess =
    QStringLiteral("Cliquer sur Fermer pour visualiser la courbe de régression");
const QString kFailure = QStringLiteral("Le calcul de la régression a échoué !");

// CH1 in columns 0-1 holding the given (x, y) rows.
void Fill(CZbDoc* doc, const QVector<QPointF>& samples) {
    doc->m_nChannels = kChannelCh1;
    doc->m_nDisplay = kChannelCh1;
    doc->m_nPoints = static_cast<std::int16_t>(samples.size());
    for (int i = 0; i < samples.size(); ++i) {
        doc->m_fT[i][0] = float(samples[i].x());
        doc->m_fT[i][1] = float(samples[i].y());
    }
}

// The view found the sample on CH1 at this row.
void Pick(CRegressionPanel& panel, int point, int row) {
    panel.StartPicking(point, panel.m_fTolerance);
    panel.PickPoint(true, static_cast<std::int16_t>(row), 0, 1, 0, 0, 0);
}

// "&Calculer" and the whole pause.
void Compute(CRegressionPanel& panel) {
    QVERIFY(panel.StartCompute());
    QVERIFY(panel.Computing());
    panel.Tick(CRegressionPanel::kPauseMs - 1);
    QVERIFY(panel.Computing());
    panel.Tick(1);
    QVERIFY(!panel.Computing());
}

QStringList Lines(const CRegressionPanel& panel) {
    QStringList lines;
    for (const QString& line : panel.m_strCoef)
        lines << line;
    return lines;
}

const QStringList kUnknown = {"a0=?", "a1=?", "a2=?", "a3=?", "a4=?", "a5=?", "a6=?", "a7=?"};

} // namespace

class TestRegressionPanel : public QObject {
    Q_OBJECT
  private slots:
    void opensOnTheSetsSlot() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_pRegressions->m_nSlot = 2;
        doc.m_pRegressions->m_nType[2] = 4;
        doc.m_pRegressions->m_bDraw[2] = 0;
        CRegressionPanel panel(&doc);
        QCOMPARE(panel.m_nSlot, 2);
        QCOMPARE(panel.m_nType, 4);
        QCOMPARE(panel.m_bDraw, 0);
        QCOMPARE(panel.m_strMessage, kOpening);
        QCOMPARE(Lines(panel), kUnknown);
        QVERIFY(!panel.m_bComputeEnabled);
        QCOMPARE(panel.m_fTolerance, 0.02f);
        QVERIFY(!panel.StartCompute()); // no points: nothing happens
        QCOMPARE(panel.m_strMessage, kOpening);
    }

    void pickingMessages() {
        CZbApp app;
        CZbDoc doc(&app);
        Fill(&doc, {{0, 1}, {1, 3}, {2, 5}});
        doc.m_fMultX = 1000;
        CRegressionPanel panel(&doc);
        panel.StartPicking(1, 0.5f);
        QCOMPARE(panel.m_strMessage,
                 QStringLiteral("Placer le curseur de la souris sur le 1er point de la "
                                "régression.\r\nCliquez sur le bouton gauche."));
        QCOMPARE(doc.m_pRegressions->m_nPicking[0], 1);
        QCOMPARE(doc.m_pRegressions->m_fTolerance, 0.5f);
        panel.PickPoint(false, -1, -1, -1, 1.5f, 2.0f, 0.123f);
        QCOMPARE(panel.m_strMessage,
                 QStringLiteral("Point 1 non trouvé !\r\nX:   1.500 Y:   2.000\r\nEcart: 0.123"));
        QCOMPARE(doc.m_pRegressions->m_bPointFound[0][0], 0);
        panel.PickPoint(true, 1, 0, 1, 1000, 3, 0.01f);
        QCOMPARE(panel.m_strMessage,
                 QStringLiteral("Point 1 trouvé:\r\n[0][1] - Point n°1\r\nX:1000.000 Y:   3.000 "));
        QCOMPARE(doc.m_pRegressions->m_fPoint1[0][0], 1.0f); // data units
        QCOMPARE(doc.m_pRegressions->m_fPoint1[0][1], 3.0f);
        QCOMPARE(doc.m_pRegressions->m_nPointRow[0][0], 1);
        QVERIFY(!panel.m_bComputeEnabled); // one point only
        // Still picking point 1: a further click replaces it.
        panel.PickPoint(true, 0, 0, 1, 0, 1, 0.01f);
        QCOMPARE(doc.m_pRegressions->m_nPointRow[0][0], 0);

        panel.StartPicking(2, 0.5f);
        QCOMPARE(panel.m_strMessage,
                 QStringLiteral("Placer le curseur de la souris sur le 2ème point de la "
                                "régression.\r\nCliquez sur le bouton gauche."));
        panel.PickPoint(true, 0, 0, 1, 0, 1, 0.01f); // the same row: not yet
        QVERIFY(!panel.m_bComputeEnabled);
        panel.PickPoint(true, 2, 2, 3, 0, 1, 0.01f); // another curve: not yet
        QVERIFY(!panel.m_bComputeEnabled);
        QVERIFY(!panel.StartCompute());
        panel.PickPoint(true, 2, 0, 1, 0, 1, 0.01f);
        QVERIFY(panel.m_bComputeEnabled);
    }

    void toleranceNeverBelowAHundredth_data() {
        QTest::addColumn<float>("typed");
        QTest::addColumn<float>("kept");
        QTest::newRow("0") << 0.0f << 0.01f;
        QTest::newRow("negative") << -3.0f << 0.01f;
        QTest::newRow("0.01") << 0.01f << 0.01f;
        QTest::newRow("0.5") << 0.5f << 0.5f;
    }
    void toleranceNeverBelowAHundredth() {
        QFETCH(float, typed);
        QFETCH(float, kept);
        CZbApp app;
        CZbDoc doc(&app);
        CRegressionPanel panel(&doc);
        panel.StartPicking(1, typed);
        QCOMPARE(panel.m_fTolerance, kept);
        QCOMPARE(doc.m_pRegressions->m_fTolerance, kept);
        doc.m_pRegressions->m_fTolerance = 1;
        panel.Close(typed, &app);
        QCOMPARE(doc.m_pRegressions->m_fTolerance, kept);
    }

    // The worked examples of the fit, and the rows it skips or cannot use.
    void compute_data() {
        QTest::addColumn<QVector<QPointF>>("samples");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("row1");
        QTest::addColumn<int>("row2");
        QTest::addColumn<QString>("computing");
        QTest::addColumn<QStringList>("lines");
        const QVector<QPointF> line = {{0, 1}, {1, 3}, {2, 5}};
        const QStringList lineLines = {"a0:1.000e+000", "a1:2.000e+000", "a2:0.000e+000",
                                       "a3:0.000e+000", "a4:0.000e+000", "a5:0.000e+000",
                                       "a6:0.000e+000", "a7:0.000e+000"};
        const QString threeRows = "Calcul de la régression d'ordre 1 en cours sur 3 valeurs...\n"
                                  "[0][1]";
        QTest::newRow("three-point line") << line << 0 << 0 << 2 << threeRows << lineLines;
        QTest::newRow("point 2 on the smaller row")
            << line << 0 << 2 << 0 << threeRows << lineLines;
        // y = x^2 - 2x + 3 through four rows, one of them without a value:
        // counted in the message, not in the fit.
        QTest::newRow("parabola, a missing row")
            << QVector<QPointF>{{0, 3}, {1, 2}, {kNoValue, kNoValue}, {3, 6}, {4, 11}} << 1 << 0
            << 4 << "Calcul de la régression d'ordre 2 en cours sur 5 valeurs...\n[0][1]"
            << QStringList{"a0:3.000e+000", "a1:-2.000e+000", "a2:1.000e+000", "a3:0.000e+000",
                           "a4:0.000e+000", "a5:0.000e+000",  "a6:0.000e+000", "a7:0.000e+000"};
        QTest::newRow("line, the same x everywhere")
            << QVector<QPointF>{{2, 1}, {2, 3}, {2, 5}} << 0 << 0 << 2 << threeRows << kUnknown;
        QTest::newRow("cubic through three x")
            << line << 2 << 0 << 2
            << "Calcul de la régression d'ordre 3 en cours sur 3 valeurs...\n[0][1]" << kUnknown;
        QTest::newRow("one usable row") << QVector<QPointF>{{0, 1}, {kNoValue, 2}, {2, kNoValue}}
                                        << 0 << 0 << 2 << threeRows << kUnknown;
    }
    void compute() {
        QFETCH(QVector<QPointF>, samples);
        QFETCH(int, type);
        QFETCH(int, row1);
        QFETCH(int, row2);
        QFETCH(QString, computing);
        QFETCH(QStringList, lines);
        CZbApp app;
        CZbDoc doc(&app);
        Fill(&doc, samples);
        CRegressionPanel panel(&doc);
        panel.SelectType(type);
        Pick(panel, 1, row1);
        Pick(panel, 2, row2);
        QVERIFY(panel.m_bComputeEnabled);
        QVERIFY(panel.StartCompute());
        QCOMPARE(panel.m_strMessage, computing);
        QVERIFY(!panel.StartCompute()); // already waiting
        panel.Tick(CRegressionPanel::kPauseMs);
        const bool ok = lines != kUnknown;
        QCOMPARE(panel.m_strMessage, ok ? kSuccess : kFailure);
        QCOMPARE(Lines(panel), lines);
        QCOMPARE(doc.m_pRegressions->m_bComputed[0], ok ? 1 : 0);
        for (double coefficient : doc.m_pRegressions->m_dCoef[0])
            QCOMPARE(IsNoValue(coefficient), !ok);
    }

    // Each slot keeps its own points, type and result; the radio shows them.
    void slotsAreIndependent() {
        CZbApp app;
        CZbDoc doc(&app);
        Fill(&doc, {{0, 1}, {1, 3}, {2, 5}});
        CRegressionPanel panel(&doc);
        Pick(panel, 1, 0);
        Pick(panel, 2, 2);
        Compute(panel);
        panel.SetDraw(false);

        panel.SelectSlot(1);
        QCOMPARE(doc.m_pRegressions->m_nSlot, 1);
        QCOMPARE(Lines(panel), kUnknown);
        QCOMPARE(panel.m_bDraw, 1);
        QVERIFY(!panel.m_bComputeEnabled);
        panel.SelectType(3);
        panel.StartPicking(1, 0.1f);
        panel.PickPoint(true, 1, 0, 1, 0, 0, 0);
        QCOMPARE(doc.m_pRegressions->m_nPicking[0], 2); // slot 0's picking untouched

        panel.SelectSlot(0);
        QCOMPARE(panel.m_strCoef[1], QStringLiteral("a1:2.000e+000"));
        QCOMPARE(panel.m_bDraw, 0);
        QCOMPARE(doc.m_pRegressions->m_bDraw[0], 0);
        QCOMPARE(panel.m_nType, 0);
        QVERIFY(panel.m_bComputeEnabled);
        // A change of type keeps the coefficients until the next computation.
        panel.SelectType(1);
        QCOMPARE(panel.m_strCoef[1], QStringLiteral("a1:2.000e+000"));

        panel.SelectSlot(1);
        QCOMPARE(panel.m_nType, 3);
        QVERIFY(panel.m_bComputeEnabled); // one point found is enough here
        QVERIFY(!panel.StartCompute());   // but not for computing
    }

    // What a file stored for a slot is never trusted as a row or a column.
    void storedPointsOutsideTheTable() {
        CZbApp app;
        CZbDoc doc(&app);
        Fill(&doc, {{0, 1}, {1, 3}, {2, 5}});
        CRegressionSet& set = *doc.m_pRegressions;
        for (int k = 0; k < 2; ++k) {
            set.m_bPointFound[0][k] = 1;
            set.m_nPointXCol[0][k] = 0;
            set.m_nPointYCol[0][k] = 1;
        }
        set.m_nPointRow[0][0] = 0;
        set.m_nPointRow[0][1] = 70000;
        CRegressionPanel panel(&doc);
        QVERIFY(panel.m_bComputeEnabled);
        QVERIFY(!panel.StartCompute());
        set.m_nPointRow[0][1] = 2;
        set.m_nPointXCol[0][0] = set.m_nPointXCol[0][1] = 9;
        QVERIFY(!panel.StartCompute());
    }

    void closing() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_bRegressionOpen = 1;
        app.m_fRefX = 1;
        app.m_fRefY = 2;
        CRegressionPanel panel(&doc);
        panel.SelectSlot(2);
        doc.m_pRegressions->m_nSlot = 0;
        panel.Close(0.3f, &app);
        QCOMPARE(doc.m_bRegressionOpen, 0);
        QCOMPARE(doc.m_pRegressions->m_nSlot, 2);
        QCOMPARE(doc.m_pRegressions->m_fTolerance, 0.3f);
        QVERIFY(!app.HasReference());
    }

    void zoomSelection_data() {
        QTest::addColumn<float>("multX");
        QTest::addColumn<QVector<float>>("corners"); // as the view hands them
        QTest::addColumn<QString>("message");
        QTest::addColumn<QVector<float>>("window"); // x1, y1, x2, y2 in data units
        QTest::newRow("top-left, bottom-right")
            << 1.0f << QVector<float>{1, 4, 3, 2}
            << "xmi: 1.000, ymi: 2.000\r\nxma: 3.000, yma: 4.000" << QVector<float>{1, 2, 3, 4};
        QTest::newRow("bottom-right, top-left")
            << 1.0f << QVector<float>{3, 2, 1, 4}
            << "xmi: 1.000, ymi: 2.000\r\nxma: 3.000, yma: 4.000" << QVector<float>{1, 2, 3, 4};
        QTest::newRow("milliseconds") << 1000.0f << QVector<float>{2, 4, 5, 2}
                                      << "xmi: 2.000, ymi: 2.000\r\nxma: 5.000, yma: 4.000"
                                      << QVector<float>{0.002f, 2, 0.005f, 4};
    }
    void zoomSelection() {
        QFETCH(float, multX);
        QFETCH(QVector<float>, corners);
        QFETCH(QString, message);
        QFETCH(QVector<float>, window);
        CZbApp app;
        CZbDoc doc(&app);
        doc.SetZoom(10, 10, 20, 20);
        app.m_fRefX = app.m_fRefY = 1;
        doc.m_bZoomOpen = 1;
        CZoomSelection zoom;
        zoom.Start(&doc, &app);
        QCOMPARE(zoom.m_strMessage,
                 QStringLiteral("Tracer ou modifier le rectangle avec la souris..."));
        QCOMPARE(doc.m_fZoomX1, kNoValueLow);
        QCOMPARE(doc.m_fZoomY2, kNoValue);
        QVERIFY(!app.HasReference());
        doc.m_fMultX = multX;
        zoom.SetRectangle(corners[0], corners[1], corners[2], corners[3]);
        QCOMPARE(zoom.m_strMessage, message);
        zoom.Accept();
        QCOMPARE(doc.m_bZoomOpen, 0);
        QCOMPARE(doc.m_fZoomX1, window[0]);
        QCOMPARE(doc.m_fZoomY1, window[1]);
        QCOMPARE(doc.m_fZoomX2, window[2]);
        QCOMPARE(doc.m_fZoomY2, window[3]);
    }

    void zoomOkWithoutARectangleShowsEverything() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.SetZoom(10, 10, 20, 20);
        CZoomSelection zoom;
        zoom.Start(&doc, &app);
        zoom.Accept();
        QCOMPARE(doc.m_fZoomX1, kNoValueLow);
        QCOMPARE(doc.m_fZoomX2, kNoValue);
        QCOMPARE(doc.m_fZoomY1, kNoValueLow);
        QCOMPARE(doc.m_fZoomY2, kNoValue);
    }
};

QTEST_MAIN(TestRegressionPanel)
#include "tst_regressionpanel.moc"
