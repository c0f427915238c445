// Reading the Tektronix replies: numbers as scanf reads them, the preamble's
// sanity, the curve conversion and its capacity rule, and corrupted replies.

#include <QRandomGenerator>
#include <QTest>
#include <cmath>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/serial/textlink.h"
#include "instruments/tektronix/tekreplies.h"
#include "mutation.h"

namespace {

QString Values(int count) {
    QString reply;
    for (int i = 0; i < count; ++i)
        reply += QStringLiteral("%1,").arg(i % 7);
    return reply;
}

CTekPreamble Preamble(int ptOff, float xIncr, float yMult, float yZero, float yOff) {
    CTekPreamble p;
    p.m_nNrPt = 2500;
    p.m_nPtOff = ptOff;
    p.m_fXIncr = xIncr;
    p.m_fYMult = yMult;
    p.m_fYZero = yZero;
    p.m_fYOff = yOff;
    return p;
}

} // namespace

class TestTekReplies : public QObject {
    Q_OBJECT

  private slots:
    void integersAsPercentD_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("bare") << "2500" << true << 2500;
        QTest::newRow("signs") << "-12" << true << -12;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("spaces and a tail") << "  \t42abc\r" << true << 42;
        QTest::newRow("decimal") << "12.9" << true << 12;
        QTest::newRow("header") << ":WFMPRE:NR_PT 2500" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("two signs") << "+-3" << false << 0;
        QTest::newRow("beyond 32 bits") << "4294967296" << false << 0;
    }
    void integersAsPercentD() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        std::int32_t read = 0;
        QCOMPARE(ScanInt(text, &read), ok);
        if (ok) QCOMPARE(read, value);
    }

    void realsAsPercentE_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<float>("value");
        QTest::newRow("exponent") << "4.0E-6" << true << 4e-6f;
        QTest::newRow("plain") << "0.04" << true << 0.04f;
        QTest::newRow("plus") << "+2.5E1" << true << 25.0f;
        QTest::newRow("tail") << "25 V" << true << 25.0f;
        QTest::newRow("infinity") << "inf" << false << 0.0f;
        QTest::newRow("NaN") << "nan" << false << 0.0f;
        QTest::newRow("beyond a float") << "3e40" << false << 0.0f;
        QTest::newRow("header") << "YMULT 0.04" << false << 0.0f;
    }
    void realsAsPercentE() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(float, value);
        float read = 0;
        QCOMPARE(ScanFloat(text, &read), ok);
        if (ok) QCOMPARE(read, value);
    }

    void timesAndVoltsOfTheLevels() {
        CZbApp app;
        CZbDoc doc(&app);
        const CTekPreamble p = Preamble(1250, 4e-6f, 0.04f, 0, 25);
        QString reply;
        for (int i = 0; i < 2500; ++i)
            reply += (i == 1250 ? QStringLiteral("125") : QStringLiteral("25")) + ',';
        QVERIFY(ConvertCurve(reply + QStringLiteral("9\n"), p, doc, 2));
        QCOMPARE(doc.m_nPoints, std::int16_t(2500));
        QVERIFY(std::fabs(doc.m_fT[0][2] - -0.005f) < 1e-9f);
        QCOMPARE(doc.m_fT[1250][2], 0.0f);
        QCOMPARE(doc.m_fT[1250][3], 4.0f);
        QCOMPARE(doc.m_fT[0][3], 0.0f);
        QVERIFY(IsNoValue(doc.m_fT[0][0])); // other columns untouched
    }

    void theCapacityRule_data() {
        QTest::addColumn<int>("values"); // comma-ended values
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("rows");
        QTest::newRow("a reply of exactly 5000 values") << 4999 << true << 4999;
        QTest::newRow("5000 comma-ended values fill the table") << 5000 << false << 0;
        QTest::newRow("more than 5000 values") << 6000 << false << 0;
    }
    void theCapacityRule() {
        QFETCH(int, values);
        QFETCH(bool, ok);
        QFETCH(int, rows);
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(
            ConvertCurve(Values(values) + QStringLiteral("3\n"), Preamble(0, 1, 1, 0, 0), doc, 0),
            ok);
        QCOMPARE(int(doc.m_nPoints), rows);
    }

    void valuesThatAreNoLevelsAreSkipped() {
        CZbApp app;
        CZbDoc doc(&app);
        const QString reply = QStringLiteral("1,x,,1234567890123456,-2,2.5,99999999999,7");
        QVERIFY(ConvertCurve(reply, Preamble(0, 1, 1, 0, 0), doc, 0));
        QCOMPARE(doc.m_nPoints, std::int16_t(3)); // 1, -2, 2 (read as %d)
        QCOMPARE(doc.m_fT[1][1], -2.0f);
        QCOMPARE(doc.m_fT[2][1], 2.0f);
        // A level that overflows a float with an absurd but finite scale is skipped.
        QVERIFY(ConvertCurve(QStringLiteral("2000000000,1,"), Preamble(0, 1, 3e29f, 0, 0), doc, 0));
        QCOMPARE(doc.m_nPoints, std::int16_t(1));
    }

    // Corrupted replies, a fixed seed, a bounded count: nothing may crash or
    // read out of bounds (the suite runs under the sanitizers), and no
    // infinity or NaN may reach the table.
    void mutatedRepliesAreSafe() {
        QRandomGenerator random(4242);
        const QByteArray goodPreamble("2500\n1250\n4.0E-6\n4.0E-2\n0.0E0\n2.5E1\n");
        const QByteArray goodCurve = Values(400).toLatin1() + "12\r\n";
        CZbApp app;
        CZbDoc doc(&app);
        for (int round = 0; round < 2000; ++round) {
            const QByteArray bytes = Mutate(random, round % 2 ? goodCurve : goodPreamble, 8);
            QString buffer = QString::fromLatin1(bytes);
            QString lines[6];
            for (QString& line : lines)
                line = TakeLine(&buffer);
            CTekPreamble preamble;
            if (ReadPreamble(lines, &preamble)) {
                QVERIFY(preamble.m_nNrPt > 0);
                QVERIFY(std::isfinite(preamble.m_fXIncr) && std::isfinite(preamble.m_fYMult) &&
                        std::isfinite(preamble.m_fYZero) && std::isfinite(preamble.m_fYOff));
            } else {
                preamble = Preamble(-3, 1e-3f, 0.5f, 1, 2);
            }
            ConvertCurve(QString::fromLatin1(bytes), preamble, doc, 0);
            QVERIFY(doc.m_nPoints >= 0 && doc.m_nPoints < doc.m_nCapacity);
            for (int row = 0; row < doc.m_nPoints; ++row)
                QVERIFY(std::isfinite(doc.m_fT[row][0]) && std::isfinite(doc.m_fT[row][1]));
        }
    }
};

QTEST_GUILESS_MAIN(TestTekReplies)
#include "tst_tekreplies.moc"
