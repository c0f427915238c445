#include <QImage>
#include <QPainter>
#include <QTest>

#include "code/code.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

// The EAN-13 model: check digit, pattern lookup, rendering geometry and the
// defaults of a drawing object, as one table of cases.
class TestCodeModel : public QObject {
    Q_OBJECT
  private slots:
    void model_data() {
        QTest::addColumn<QString>("got");
        QTest::addColumn<QString>("expected");

        CZbApp app;
        CZbDoc doc(&app);
        CCode code(&doc);
        QTest::newRow("check digit of the default code")
            << QString::number(code.CheckDigit(QStringLiteral("5410673004208"))) << "8";
        // Weighted sum 4 + 3 x 2 = 10.
        QTest::newRow("weighted sum a multiple of 10 gives 0")
            << QString::number(code.CheckDigit(QStringLiteral("400000000002"))) << "0";
        QTest::newRow("check digit reads only the first 12 characters")
            << QString::number(code.CheckDigit(QStringLiteral("5410673004201"))) << "8";
        QTest::newRow("check digit of all nines")
            << QString::number(code.CheckDigit(QStringLiteral("999999999999"))) << "4";
        // A character that is not a digit has no defined value, but the
        // result is still a digit: a space counts -16 here.
        QTest::newRow("a character below '0' still gives a digit")
            << QString::number(code.CheckDigit(QStringLiteral(" 00000000000"))) << "6";

        auto lookup = [&code](std::int16_t value) {
            std::int16_t digit = 7;
            char set = 'Z';
            const bool found = code.FindPattern(value, &digit, &set);
            return QStringLiteral("%1 %2 %3").arg(found).arg(digit).arg(QLatin1Char(set));
        };
        QTest::newRow("pattern 13 is digit 0 in set A") << lookup(13) << "1 0 A";
        QTest::newRow("pattern 114 is digit 0 in set C") << lookup(114) << "1 0 C";
        QTest::newRow("pattern 39 is digit 0 in set B") << lookup(39) << "1 0 B";
        QTest::newRow("pattern 0 is not found, outputs reset") << lookup(0) << "0 0 A";
        QTest::newRow("pattern 0x74 is digit 9 in set C") << lookup(0x74) << "1 9 C";

        auto geometry = [&](float a, float b, float height) {
            QImage image(10, 10, QImage::Format_RGB32);
            QPainter painter(&image);
            CCode drawing(&painter, &doc, false);
            drawing.SetGeometry(a, b, height);
            return QStringLiteral("T %1 E %2 h %3 K %4")
                .arg(drawing.m_fBarWidth)
                .arg(drawing.m_fSpaceWidth)
                .arg(drawing.m_fHalfHeight)
                .arg(drawing.m_fDigitWidth);
        };
        QTest::newRow("bar wider than space: widths exchanged")
            << geometry(0.6f, 0.4f, 24) << "T 0.4 E 0.6 h 12 K 3.8";
        QTest::newRow("equal widths") << geometry(0.5f, 0.5f, 20) << "T 0.5 E 0.5 h 10 K 3.5";

        QImage image(10, 10, QImage::Format_RGB32);
        QPainter painter(&image);
        CCode drawing(&painter, &doc, false);
        QTest::newRow("drawing constructor defaults")
            << QStringLiteral("T %1 E %2 h %3 K %4 bar %5 space %6 decode %7 plotter %8")
                   .arg(drawing.m_fBarWidth)
                   .arg(drawing.m_fSpaceWidth)
                   .arg(drawing.m_fHalfHeight)
                   .arg(drawing.m_fDigitWidth)
                   .arg(drawing.m_crBar, 6, 16, QLatin1Char('0'))
                   .arg(drawing.m_crSpace, 6, 16, QLatin1Char('0'))
                   .arg(drawing.m_bDecodeOnly)
                   .arg(drawing.m_pPlotter != nullptr)
            << "T 0.5 E 0.5 h 10 K 3.5 bar 000000 space ffffff decode 0 plotter 1";
        QTest::newRow("decoding constructor owns no plotter")
            << QStringLiteral("decode %1 plotter %2")
                   .arg(code.m_bDecodeOnly)
                   .arg(code.m_pPlotter != nullptr)
            << "decode 1 plotter 0";
        QTest::newRow("parity of leading digit 5") << code.m_strParity[5] << "ABBAAB";
    }
    void model() {
        QFETCH(QString, got);
        QFETCH(QString, expected);
        QCOMPARE(got, expected);
    }

    // Every pattern is 7 modules with two bars and two spaces, sets A and B
    // start with a space and end with a bar, set C the reverse, and no value
    // appears twice: what the drawing and the decoder both rely on.
    void patternsWellFormed() {
        CZbApp app;
        CZbDoc doc(&app);
        CCode code(&doc);
        QSet<int> seen;
        for (int digit = 0; digit < 10; ++digit)
            for (int set = 0; set < 3; ++set) {
                const int value = code.m_nPattern[digit][set];
                QVERIFY(value > 0 && value < 128);
                int runs = 1;
                for (int bit = 5; bit >= 0; --bit)
                    if (((value >> bit) & 1) != ((value >> (bit + 1)) & 1)) ++runs;
                QCOMPARE(runs, 4);
                const bool startsWithBar = value & 64, endsWithBar = value & 1;
                QCOMPARE(startsWithBar, set == 2);
                QCOMPARE(endsWithBar, set != 2);
                QVERIFY(!seen.contains(value));
                seen.insert(value);
            }
    }
};

QTEST_MAIN(TestCodeModel)
#include "tst_codemodel.moc"
