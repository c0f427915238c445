#include <QTest>
#include <vector>

#include "common/novalue.h"
#include "decode/analysis.h"
#include "decode/edges.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {

// Writes a trace of (time, value) rows into CH1's columns.
void FillChannel(CZbDoc& doc, const std::vector<float>& values, float period = 1e-5f) {
    doc.ClearSamples();
    for (size_t row = 0; row < values.size(); ++row) {
        doc.m_fT[row][0] = static_cast<float>(row) * period;
        doc.m_fT[row][1] = values[row];
    }
    doc.m_nPoints = static_cast<std::int16_t>(values.size());
    doc.m_nChannels = kChannelCh1;
    doc.m_nDisplay = kChannelCh1;
}

// Levels of runs of rows: {value, rows}, ...
std::vector<float> Runs(std::initializer_list<std::pair<float, int>> runs) {
    std::vector<float> values;
    for (const auto& [value, rows] : runs)
        values.insert(values.end(), rows, value);
    return values;
}

std::vector<float> Detect(const CZbDoc& doc, float uRef) {
    float edges[kMaxEdges];
    const int n = DetectEdges(doc, 0, 1, uRef, edges);
    return std::vector<float>(edges, edges + n);
}

} // namespace

Q_DECLARE_METATYPE(std::vector<float>)

class TestAnalysis : public QObject {
    Q_OBJECT
  private slots:
    void edges_data() {
        QTest::addColumn<std::vector<float>>("values");
        QTest::addColumn<float>("uRef");
        QTest::addColumn<std::vector<float>>("rows"); // edge times as row numbers

        // A rise is timed at the row after the first high row, a fall at the
        // row before the first low one.
        QTest::newRow("one bar") << Runs({{0, 10}, {5, 10}, {0, 10}}) << 2.3f
                                 << std::vector<float>{11, 19};
        QTest::newRow("equal to URef is no crossing")
            << Runs({{0, 10}, {2.3f, 10}, {0, 10}}) << 2.3f << std::vector<float>{};
        QTest::newRow("never crosses")
            << Runs({{0, 10}, {1, 10}, {0, 10}}) << 2.3f << std::vector<float>{};
        // A one-row spike 2 rows after the fall at 19, within a quarter of
        // the 8 rows before: refused, and the space goes on to the rise at 43.
        QTest::newRow("spike refused by the quarter rule")
            << Runs({{0, 10}, {5, 10}, {0, 1}, {5, 1}, {0, 20}, {5, 10}, {0, 10}}) << 2.3f
            << std::vector<float>{11, 19, 43, 51};
        // A one-row dip 1 row after the rise at 33 (a quarter of 14 is 3.5):
        // refused; the bar ends at 41.
        QTest::newRow("dip refused by the quarter rule")
            << Runs({{0, 10}, {5, 10}, {0, 12}, {5, 2}, {0, 1}, {5, 7}, {0, 10}}) << 2.3f
            << std::vector<float>{11, 19, 33, 41};
        // Beyond the quarter, a dip is an edge pair.
        QTest::newRow("short space beyond the quarter")
            << Runs({{0, 10}, {5, 10}, {0, 12}, {5, 5}, {0, 1}, {5, 7}, {0, 10}}) << 2.3f
            << std::vector<float>{11, 19, 33, 36, 39, 44};
        // A crossing on the last row is timed at that row.
        QTest::newRow("rise on the last row")
            << Runs({{0, 10}, {5, 10}, {0, CZbDoc::kCapacity - 21}, {5, 1}}) << 2.3f
            << std::vector<float>{11, 19, CZbDoc::kCapacity - 1};
    }
    void edges() {
        QFETCH(std::vector<float>, values);
        QFETCH(float, uRef);
        QFETCH(std::vector<float>, rows);
        CZbDoc doc(nullptr);
        FillChannel(doc, values, 1.0f);
        QCOMPARE(Detect(doc, uRef), rows);
    }

    void erasedRowsAreSkipped() {
        // Erased rows: a crossing next to them is timed at its own row,
        // never at an erased row or at the no-value marker.
        CZbDoc doc(nullptr);
        FillChannel(doc, Runs({{0, 10}, {5, 10}, {0, 10}, {5, 10}, {0, 10}}), 1.0f);
        for (int row = 15; row < 25; ++row)
            doc.m_fT[row][1] = kNoValue;
        for (int row = 31; row < 50; ++row)
            doc.m_fT[row][0] = kNoValue;
        QCOMPARE(Detect(doc, 2.3f), (std::vector<float>{11, 25, 30}));
    }

    void atMostOneHundredEdges() {
        std::vector<float> values;
        for (int k = 0; k < 80; ++k)
            values.insert(values.end(), {0, 0, 5, 5});
        CZbDoc doc(nullptr);
        FillChannel(doc, values, 1.0f);
        QCOMPARE(int(Detect(doc, 2.3f).size()), 100);
    }

    void edgeCurve() {
        CZbDoc doc(nullptr);
        FillChannel(doc, Runs({{0, 4}, {4, 4}, {0, 4}}), 1.0f);
        doc.m_fT[1][1] = kNoValue;
        const float edges[] = {5, 6};
        const ChannelRange range = FindChannelRange(doc, 0, 1);
        QCOMPARE(range.min, 0.f);
        QCOMPARE(range.max, 4.f);
        WriteEdgeCurve(doc, 0, 1, edges, 2, range);
        // Minimum first, a vertical step at each edge (the previous row's
        // time), then the level holds.
        const float expectedTime[] = {0, kNoValue, 2, 3, 4, 4, 4, 7, 8};
        const float expectedValue[] = {0, kNoValue, 0, 0, 0, 4, 0, 0, 0};
        for (int row = 0; row < 9; ++row) {
            QCOMPARE(doc.m_fT[row][4], expectedTime[row]);
            QCOMPARE(doc.m_fT[row][5], expectedValue[row]);
        }
        QVERIFY(IsNoValue(doc.m_fT[12][4]));
    }

    // The FRONTS curve is written for 11 to 89 edges only; outside, an
    // earlier curve is cleared.
    void edgeCurveOnlyForAPlausibleCount_data() {
        QTest::addColumn<int>("edges");
        QTest::addColumn<bool>("curve");
        QTest::newRow("10") << 10 << false;
        QTest::newRow("11") << 11 << true;
        QTest::newRow("89") << 89 << true;
        QTest::newRow("90") << 90 << false;
    }
    void edgeCurveOnlyForAPlausibleCount() {
        QFETCH(int, edges);
        QFETCH(bool, curve);
        // Each pulse gives a rise and a fall; a trace that ends high, no fall.
        std::vector<float> values;
        for (int pulse = 0; pulse < (edges + 1) / 2; ++pulse)
            values.insert(values.end(), {0, 0, 5, 5});
        if (edges % 2 == 0) values.insert(values.end(), {0, 0});
        CZbDoc doc(nullptr);
        FillChannel(doc, values);
        doc.m_fT[0][5] = 7; // left by an earlier analysis
        CCodeAnalysis analysis(&doc);
        analysis.SetMessageHandler([](const QString&) {});
        analysis.Generate();
        QCOMPARE(int(analysis.m_nEdges), edges);
        QCOMPARE(!IsNoValue(doc.m_fT[0][5]), curve);
        if (curve) QCOMPARE(doc.m_fT[0][5], 0.f); // the curve starts at the minimum
    }

    void uRefLimits_data() {
        QTest::addColumn<float>("entered");
        QTest::addColumn<float>("used");
        QTest::newRow("zero") << 0.f << 0.1f;
        QTest::newRow("negative") << -3.f << 0.1f;
        QTest::newRow("twelve") << 12.f << 10.0f;
        QTest::newRow("inside") << 2.5f << 2.5f;
    }
    void uRefLimits() {
        QFETCH(float, entered);
        QFETCH(float, used);
        CZbDoc doc(nullptr);
        FillChannel(doc, Runs({{0.05f, 10}, {0.2f, 10}, {11, 10}, {0.05f, 10}}));
        CCodeAnalysis analysis(&doc);
        analysis.m_fURef = entered;
        analysis.Generate();
        QCOMPARE(analysis.m_fURef, used);
        QCOMPARE(int(analysis.m_nEdges), 2);
    }

    void noCrossing() {
        CZbDoc doc(nullptr);
        FillChannel(doc, Runs({{0, 100}, {1, 100}}));
        doc.m_fT[3][4] = 7; // left by an earlier analysis
        CCodeAnalysis analysis(&doc);
        QStringList boxes;
        analysis.SetMessageHandler([&](const QString& text) { boxes << text; });
        QCOMPARE(analysis.m_strMessage,
                 QStringLiteral("Définir une zone puis cliquez sur Générer fronts pour décoder le "
                                "graphe U=f(t)...\n[0][1]"));
        analysis.Generate();
        QCOMPARE(int(analysis.m_nEdges), 0);
        QCOMPARE(analysis.m_strMessage,
                 QStringLiteral("Nb. de fronts: 0 (Insuffisant)\nConfirmer la largeur du trait "
                                "simple T et de l'espace simple E..."));
        for (int row = 0; row < CZbDoc::kCapacity; ++row) {
            QVERIFY(IsNoValue(doc.m_fT[row][4]));
            QVERIFY(IsNoValue(doc.m_fT[row][5]));
        }
        QCOMPARE(int(doc.m_nDisplay), kChannelCh1 | kChannelEdges);
        QCOMPARE(analysis.m_fTWidth, 0.f);
        QCOMPARE(boxes, QStringList{QStringLiteral("Barres du milieu absentes.\nLargeurs "
                                                   "références sur barres de gauche...")});
        analysis.Confirm();
        QCOMPARE(analysis.m_fTWidth, 0.00001f);
        QCOMPARE(analysis.m_fEWidth, 0.00001f);
        QCOMPARE(analysis.m_strMessage,
                 QStringLiteral("Largeurs T et E confirmées.\nCliquer sur Analyser code..."));
        boxes.clear();
        QCOMPARE(int(analysis.Analyse()), 1);
        QCOMPARE(analysis.m_strMessage,
                 QStringLiteral("Erreur(s) d'extraction du code barre:\n- Nb. de fronts "
                                "insuffisant\nCliquer sur Fermer..."));
        QCOMPARE(boxes, QStringList{QStringLiteral("Extraction code droit ...\nXXXXXXX004208")});
    }

    void stepsEnableOnlyTheNext() {
        CZbDoc doc(nullptr);
        FillChannel(doc, Runs({{0, 10}, {5, 10}}));
        doc.m_nChannels = kChannelCh1 | kChannelRef1;
        doc.m_nDisplay = kChannelRef1;
        CCodeAnalysis analysis(&doc);
        QCOMPARE(analysis.m_nChannel, 2); // the channel shown
        QCOMPARE(analysis.m_strMessage.right(6), QStringLiteral("[2][3]"));
        QVERIFY(analysis.IsChannelEnabled(0));
        QVERIFY(!analysis.IsChannelEnabled(1));
        QVERIFY(analysis.IsChannelEnabled(2));
        analysis.SelectChannel(0);
        QCOMPARE(analysis.m_strMessage, QStringLiteral("[0][1]"));
        QVERIFY(analysis.CanGenerate() && analysis.IsURefEditable());
        QVERIFY(!analysis.CanConfirm() && !analysis.CanAnalyse() && !analysis.AreWidthsEditable());
        QCOMPARE(analysis.Analyse(), std::int16_t(0)); // not its turn: nothing happens
        QCOMPARE(doc.m_strCode, QStringLiteral("5410673004208"));

        analysis.Generate();
        QVERIFY(!analysis.CanGenerate() && !analysis.IsURefEditable());
        QVERIFY(!analysis.IsChannelEnabled(0));
        QVERIFY(analysis.CanConfirm() && analysis.AreWidthsEditable());
        analysis.Confirm();
        QVERIFY(analysis.CanAnalyse() && !analysis.CanConfirm() && !analysis.AreWidthsEditable());
        analysis.Analyse();
        QVERIFY(!analysis.CanAnalyse());

        CZbApp app;
        analysis.Close(&app);
        QCOMPARE(app.m_fRefX, 0.f);
        QCOMPARE(app.m_fRefY, 0.f);
    }

    void report_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("report");
        QTest::newRow("extracted")
            << 0 << "Code barre extrait: 5410673004208\nCliquer sur Fermer...";
        QTest::newRow("every error, in report order")
            << 31
            << "Erreur(s) d'extraction du code barre:\n- Nb. de fronts insuffisant\n- Erreur "
               "d'extraction d'un chiffre gauche\n- Erreur d'extraction d'un chiffre droit\n- "
               "Erreur d'extraction code pays\n- Erreur de parité\nCliquer sur Fermer...";
        QTest::newRow("parity and check")
            << 12
            << "Erreur(s) d'extraction du code barre:\n- Erreur d'extraction code pays\n- Erreur "
               "de parité\nCliquer sur Fermer...";
    }
    void report() {
        QFETCH(int, flags);
        QFETCH(QString, report);
        QCOMPARE(CCodeAnalysis::AnalysisReport(static_cast<std::int16_t>(flags),
                                               QStringLiteral("5410673004208")),
                 report);
    }
};

QTEST_GUILESS_MAIN(TestAnalysis)
#include "tst_analysis.moc"
