#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

class TestDocument : public QObject {
    Q_OBJECT
  private slots:
    void newDocumentDefaults() {
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(app.m_pDoc, &doc);
        QCOMPARE(doc.m_strCode, QStringLiteral("5410673004208"));
        QCOMPARE(doc.m_nDisplay, std::int16_t(0));
        QCOMPARE(doc.m_nPoints, std::int16_t(0));
        QCOMPARE(doc.m_nCapacity, std::int16_t(5000));
        QCOMPARE(doc.m_nChannels, std::int16_t(1));
        QCOMPARE(doc.m_fLegendX, 80.0f);
        QCOMPARE(doc.m_fLegendY, 90.0f);
        QCOMPARE(doc.m_astrLegend, (QStringList{"ACQ. OSCILLOSCOPE TEKTRONIX",
                                                QString::fromUtf8("Nom(s)/Prénom(s):")}));
        for (int r = 0; r < CZbDoc::kCapacity; ++r)
            for (int c = 0; c < CZbDoc::kColumns; ++c)
                QVERIFY(IsNoValue(doc.m_fT[r][c]));
        QCOMPARE(doc.m_fZoomX1, kNoValueLow);
        QCOMPARE(doc.m_fZoomX2, kNoValue);
        float width = 0.6f;
        for (int k = 0; k < CZbDoc::kRenderings; ++k) {
            QCOMPARE(doc.m_fBar[k], width);
            QCOMPARE(doc.m_fSpace[k], width);
            width *= 1.1f;
        }
        QCOMPARE(doc.m_crBar[0], COLORREF(0x000040));
        QCOMPARE(doc.m_crSpace[0], COLORREF(0xFFFF40));
        QCOMPARE(doc.Title(), QStringLiteral("Sansnom"));
        // A white 768 x 576 image of 24 bits.
        QCOMPARE(doc.m_nImageWidth, std::int16_t(768));
        QCOMPARE(doc.m_nImageHeight, std::int16_t(576));
        QCOMPARE(doc.m_nImageBits, std::int16_t(24));
        QCOMPARE(doc.m_pImage->Pixel(0, 0), 0xFFFFFFu);
        QCOMPARE(doc.m_pImage->Pixel(767, 575), 0xFFFFFFu);
        QVERIFY(IsNoValue(app.m_fRefX) && IsNoValue(app.m_fRefY));
    }

    void regressionSlots() {
        CZbApp app;
        CZbDoc doc(&app);
        CRegressionSet& set = *doc.m_pRegressions;
        auto checkReset = [&set] {
            for (int s = 0; s < 3; ++s) {
                for (double a : set.m_dCoef[s])
                    QCOMPARE(a, 1e10);
                for (int k = 0; k < 2; ++k) {
                    QVERIFY(IsNoValue(set.m_fPoint1[s][k]) && IsNoValue(set.m_fPoint2[s][k]));
                    QCOMPARE(set.m_nPointXCol[s][k], -1);
                    QCOMPARE(set.m_nPointYCol[s][k], -1);
                    QCOMPARE(set.m_nPointRow[s][k], -1);
                    QCOMPARE(set.m_bPointFound[s][k], 0);
                }
                QCOMPARE(set.m_nType[s], 0);
                QCOMPARE(set.m_nPicking[s], 0);
                QCOMPARE(set.m_bComputed[s], 0);
                QCOMPARE(set.m_bDraw[s], 1);
            }
        };
        checkReset();
        QCOMPARE(set.m_nSlot, 0);
        QCOMPARE(set.m_fTolerance, 0.02f);

        set.m_nSlot = 2;
        set.m_fTolerance = 0.3f;
        set.m_dCoef[1][3] = 2.0;
        set.m_nType[0] = 3;
        set.m_bPointFound[2][1] = 1;
        set.m_bDraw[1] = 0;
        set.Reset();
        checkReset();
        // The selected slot and the tolerance survive a reset.
        QCOMPARE(set.m_nSlot, 2);
        QCOMPARE(set.m_fTolerance, 0.3f);
    }

    void channelColumns_data() {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("xCol");
        QTest::addColumn<int>("yCol");
        QTest::newRow("CH1 alone") << 1 << 1 << 0 << 1;
        QTest::newRow("CH1 is always first") << 2 << 1 << 0 << 1;
        QTest::newRow("CH2 alone") << 2 << 2 << 0 << 1;
        QTest::newRow("CH2 after CH1") << 3 << 2 << 2 << 3;
        QTest::newRow("REF1 alone") << 4 << 4 << 0 << 1;
        QTest::newRow("REF1 after CH2") << 6 << 4 << 2 << 3;
        QTest::newRow("REF2 after REF1") << 12 << 8 << 2 << 3;
        QTest::newRow("REF2 alone") << 8 << 8 << 0 << 1;
        QTest::newRow("MATH after CH1") << 17 << 16 << 2 << 3;
        QTest::newRow("MATH alone") << 16 << 16 << 0 << 1;
        QTest::newRow("edges") << 3 << 64 << 4 << 5;
        QTest::newRow("edges with no channel") << 0 << 64 << 4 << 5;
        QTest::newRow("image bit") << 1 << 32 << 4 << 5;
        QTest::newRow("logic level bit") << 1 << 128 << 4 << 5;
    }
    void channelColumns() {
        QFETCH(int, channels);
        QFETCH(int, channel);
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nChannels = std::int16_t(channels);
        std::int16_t x = -9, y = -9;
        doc.GetChannelColumns(std::int16_t(channel), &x, &y);
        QTEST(int(x), "xCol");
        QTEST(int(y), "yCol");
    }

    void zoomWindow() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.SetZoom(5, 1, 2, 3);
        QCOMPARE(doc.m_fZoomX1, 2.0f);
        QCOMPARE(doc.m_fZoomX2, 5.0f);
        QCOMPARE(doc.m_fZoomY1, 1.0f);
        QCOMPARE(doc.m_fZoomY2, 3.0f);
        doc.ResetZoom();
        QCOMPARE(doc.m_fZoomX1, kNoValueLow);
        QCOMPARE(doc.m_fZoomX2, kNoValue);
        QCOMPARE(doc.m_fZoomY1, kNoValueLow);
        QCOMPARE(doc.m_fZoomY2, kNoValue);
    }

    void captureText_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QByteArray big;
        for (int i = 0; i < 1200; ++i)
            big.append(char('A' + i % 26));
        QTest::newRow("1200 bytes") << big << QString::fromLatin1(big.left(999)) << 1200;
        QTest::newRow("zero byte ends the text")
            << QByteArray("CH1:VOLT 1.0\0rest", 17) << QStringLiteral("CH1:VOLT 1.0") << 17;
        QTest::newRow("empty") << QByteArray() << QString() << 0;
        QTest::newRow("999 bytes exactly")
            << QByteArray(999, 'x') << QString(999, QLatin1Char('x')) << 999;
    }
    void captureText() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCapturePath = dir.filePath(QStringLiteral("zb.$$$"));
        QFile file(doc.m_strCapturePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        doc.m_nPoints = 12;
        const QString text = doc.ReadCaptureText();
        QTEST(text, "text");
        QTEST(int(doc.m_nCaptureCount), "count");
        QCOMPARE(doc.m_nPoints, std::int16_t(0));
    }

    void missingCaptureFileGivesEmptyText() {
        QTemporaryDir dir;
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCapturePath = dir.filePath(QStringLiteral("zb.$$$"));
        doc.m_nPoints = 12;
        QCOMPARE(doc.ReadCaptureText(), QString());
        QCOMPARE(doc.m_nPoints, std::int16_t(12));
    }

    void titles_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("title");
        QTest::newRow("default") << "SansNom.cod"
                                 << "Sansnom";
        QTest::newRow("windows path") << "C:\\TP\\SCAN1.COD"
                                      << "Scan1";
        QTest::newRow("unix path") << "/home/eleve/Mesure Laser.cod"
                                   << "Mesure laser";
        QTest::newRow("drive only") << "A:code.cod"
                                    << "Code";
    }
    void titles() {
        QFETCH(QString, fileName);
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strFileName = fileName;
        QTEST(doc.Title(), "title");
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
