// The GDS-820C replies: the five settings lines and the binary waveform
// block. The blocks are written here byte by byte from the instrument's
// layout ('#', a digit N, N length digits, nine bytes, two bytes a sample).

#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <memory>

#include "common/novalue.h"
#include "instruments/gwinstek/gdsprotocol.h"

namespace {

constexpr int kRows = 5000;

struct Table {
    std::unique_ptr<float[][6]> cells{new float[kRows][6]};
    Table() {
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < 6; ++c)
                cells[r][c] = kNoValue;
    }
    float* operator[](int row) { return cells[row]; }
};

// "#3400", nine header bytes, then the sample byte pairs as given.
QByteArray Block(const QByteArray& pairs, const QByteArray& lengthField = "3400") {
    return QByteArray("#") + lengthField + QByteArray(9, char(0x11)) + pairs;
}

QByteArray Pairs(std::initializer_list<int> bytes) {
    QByteArray out;
    for (int b : bytes)
        out.append(char(b));
    return out;
}

} // namespace

class TestGdsProtocol : public QObject {
    Q_OBJECT

  private slots:
    void settingsWithUnitsAndAChannelOff() {
        const GdsSettings s =
            ParseGdsSettings(QStringLiteral("2.000ms\n500mV\n1.00V\n1.2V\nchan off\n"));
        QCOMPARE(s.timebase, 0.002f);
        QCOMPARE(s.scale1, 0.5f);
        QCOMPARE(s.scale2, 1.0f);
        QVERIFY(!s.ch1Off);
        QVERIFY(s.ch2Off);
    }

    void settingsUnits_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<float>("timebase");
        QTest::addColumn<float>("scale1");
        QTest::addColumn<float>("scale2");
        QTest::newRow("micro") << "500us\n20uV\n2V\n" << 500e-6f << 20e-6f << 2.0f;
        QTest::newRow("seconds, semicolons") << "1.0s;5mV;50mV;" << 1.0f << 0.005f << 0.05f;
        QTest::newRow("unreadable stay no value") << "??ms\nchan off\n\n"
                                                  << kNoValue << kNoValue << kNoValue;
        QTest::newRow("short reply") << "2.5ms" << 0.0025f << kNoValue << kNoValue;
    }
    void settingsUnits() {
        QFETCH(QString, reply);
        QFETCH(float, timebase);
        QFETCH(float, scale1);
        QFETCH(float, scale2);
        const GdsSettings s = ParseGdsSettings(reply);
        auto same = [](float a, float b) {
            return IsNoValue(b) ? IsNoValue(a) : std::fabs(a - b) <= 1e-6f * std::fabs(b);
        };
        QVERIFY2(same(s.timebase, timebase), qPrintable(QString::number(s.timebase)));
        QVERIFY(same(s.scale1, scale1));
        QVERIFY(same(s.scale2, scale2));
    }

    void unreadableSettingsAreNamed() {
        QCOMPARE(UnreadableGdsSettings(0.001f, 0.5f, QStringLiteral("calibre voie 1")),
                 QStringList());
        QCOMPARE(UnreadableGdsSettings(kNoValue, kNoValue, QStringLiteral("calibre voie 2")),
                 (QStringList{QStringLiteral("base de temps"), QStringLiteral("calibre voie 2")}));
    }

    void samplesStartAfterTheLengthAndNineBytes() {
        // #3 then 400: three length digits and nine bytes skipped, samples from 14.
        const QByteArray block = Block(Pairs({0x00, 0x32, 0x90, 0x00, 0x00, 0x05}));
        QCOMPARE(block.indexOf(char(0x32)), 15);
        Table table;
        const GdsBlockResult result = ConvertGdsBlock(block, table.cells.get(), kRows, 0, 1, 25);
        QVERIFY(result.compatible);
        QCOMPARE(result.rows, 3);
        // Time base 1 s and 25 V a division: one level is one volt.
        QCOMPARE(table[0][1], 50.0f * 1.0f); // 0x00 + 0x32
        QCOMPARE(table[1][1], 144.0f);       // 0x90 is -112, below -100: 144
        QCOMPARE(table[2][1], 5.0f);
        QCOMPARE(table[0][0], 0.0f);
        QCOMPARE(table[2][0], 0.08f);    // row 2 × 1 s × 0.04
        QVERIFY(IsNoValue(table[3][1])); // nothing past the block
    }

    void bytesAreLevelsFromMinus100To155_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("level");
        QTest::newRow("0x00 0x32") << 0x00 << 0x32 << 50;
        QTest::newRow("0x90 0x00") << 0x90 << 0x00 << 144;
        QTest::newRow("-100 stays") << 0x9C << 0x00 << -100;
        QTest::newRow("-101 is 155") << 0x9B << 0x00 << 155;
        QTest::newRow("0xFF is -1") << 0xFF << 0xFB << -6;
        QTest::newRow("0x80 is 128") << 0x00 << 0x80 << 128;
        QTest::newRow("0x7F") << 0x7F << 0x7F << 254;
    }
    void bytesAreLevelsFromMinus100To155() {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, level);
        Table table;
        ConvertGdsBlock(Block(Pairs({first, second})), table.cells.get(), kRows, 2, 1, 25);
        QCOMPARE(table[0][3], float(level));
    }

    void aLoneZeroFromTheFourthRowTakesTheValueBefore() {
        Table table;
        // Rows 0..3: 9, 5, 0, 7 — the zero sits between 5 and 7 at row 2,
        // and the rule applies when row 3 is stored.
        ConvertGdsBlock(Block(Pairs({0, 9, 0, 5, 0, 0, 0, 7})), table.cells.get(), kRows, 0, 1, 25);
        QCOMPARE(table[1][1], 5.0f);
        QCOMPARE(table[2][1], 5.0f);
        QCOMPARE(table[3][1], 7.0f);
        // Too early: rows 0..2 = 5, 0, 7 keep their zero (n is not above 2).
        Table early;
        ConvertGdsBlock(Block(Pairs({0, 5, 0, 0, 0, 7})), early.cells.get(), kRows, 0, 1, 25);
        QCOMPARE(early[1][1], 0.0f);
        // Two zeros in a row are kept.
        Table twice;
        ConvertGdsBlock(Block(Pairs({0, 9, 0, 5, 0, 0, 0, 0, 0, 7})), twice.cells.get(), kRows, 0,
                        1, 25);
        QCOMPARE(twice[2][1], 0.0f);
        QCOMPARE(twice[3][1], 0.0f);
    }

    void timeAndVoltsFromTheSettings() {
        QByteArray pairs;
        for (int k = 0; k < 30; ++k)
            pairs += Pairs({0x00, 0x32});
        Table table;
        const GdsBlockResult result =
            ConvertGdsBlock(Block(pairs), table.cells.get(), kRows, 2, 0.001f, 0.5f);
        QCOMPARE(result.rows, 30);
        QVERIFY(std::fabs(table[25][2] - 0.001f) < 1e-9f); // row 25 at 0.001 s
        QVERIFY(std::fabs(table[25][3] - 1.0f) < 1e-6f);   // 50 levels at 0.5 V a division
        QVERIFY(IsNoValue(table[0][0]));                   // other columns untouched
    }

    void otherLengthFieldsAndShortBlocks() {
        Table table;
        // "#0": no length digits, samples from position 11.
        QByteArray noDigits = QByteArray("#0") + QByteArray(9, 0) + Pairs({0, 3, 0, 4});
        QCOMPARE(ConvertGdsBlock(noDigits, table.cells.get(), kRows, 0, 1, 25).rows, 2);
        QCOMPARE(table[0][1], 3.0f);
        // A letter in place of N counts as 0.
        QByteArray letter = QByteArray("#x") + QByteArray(9, 0) + Pairs({0, 8});
        QCOMPARE(ConvertGdsBlock(letter, table.cells.get(), kRows, 0, 1, 25).rows, 1);
        QCOMPARE(table[0][1], 8.0f);
        // Cut inside the header, or an odd last byte: no half sample.
        QCOMPARE(ConvertGdsBlock("#34", table.cells.get(), kRows, 0, 1, 25).rows, 0);
        QCOMPARE(ConvertGdsBlock(Block(Pairs({0, 1, 0})), table.cells.get(), kRows, 0, 1, 25).rows,
                 1);
        QCOMPARE(ConvertGdsBlock(QByteArray(), table.cells.get(), kRows, 0, 1, 25).rows, 0);
    }

    // "#215": fifteen bytes follow the length digits (nine skipped, three
    // samples); what comes after them is never a sample.
    void aBlockEndsAtTheLengthItDeclares_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rows");
        const QByteArray block = Block(Pairs({0, 1, 0, 2, 0, 3}), "215");
        QTest::newRow("alone") << block << 3;
        QTest::newRow("a line end after it") << block + "\n" << 3;
        QTest::newRow("another block after it")
            << block + Block(Pairs({0, 7, 0, 8, 0, 9, 0, 10}), "217") << 3;
        QTest::newRow("bytes after it") << block + Pairs({0, 5, 0, 6}) << 3;
        QTest::newRow("cut short") << block.left(block.size() - 2) << 2;
        QTest::newRow("a length shorter than the header") << Block(Pairs({0, 1}), "205") << 0;
        QTest::newRow("no length declared (#0): to the end")
            << QByteArray("#0") + QByteArray(9, 0) + Pairs({0, 1, 0, 2, 0, 3, 0, 4}) << 4;
    }
    void aBlockEndsAtTheLengthItDeclares() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rows);
        Table table;
        QCOMPARE(ConvertGdsBlock(bytes, table.cells.get(), kRows, 0, 1, 25).rows, rows);
        for (int r = 0; r < rows; ++r)
            QCOMPARE(table[r][1], float(r + 1));
        QVERIFY(IsNoValue(table[rows][1]));
    }

    // A late reply to a source given up before shares the capture with the
    // reply asked for: the last block is that reply.
    void theLastBlockOfACapture_data() {
        QTest::addColumn<QByteArray>("capture");
        QTest::addColumn<int>("start");
        const QByteArray first = Block(Pairs({0, 1, 0, 2}), "213");  // 17 bytes
        const QByteArray second = Block(Pairs({0, 7, 0, 8}), "213"); // 17 bytes
        QTest::newRow("one block") << first << 0;
        QTest::newRow("one block and a line end") << first + "\n" << 0;
        QTest::newRow("two blocks") << first + second << 17;
        QTest::newRow("two blocks, line ends between") << first + "\r\n" + second + "\n" << 19;
        QTest::newRow("three blocks") << first + second + first << 34;
        QTest::newRow("garbage after the first") << first + "xyz" + second << 0;
        QTest::newRow("a hash that starts no block") << first + "#x12" << 0;
        QTest::newRow("the first cut short") << first.left(10) << 0;
        QTest::newRow("no block") << QByteArray("ERR 113\n") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("a length past the end") << Block(Pairs({0, 1}), "9999999999") + second << 0;
    }
    void theLastBlockOfACapture() {
        QFETCH(QByteArray, capture);
        QFETCH(int, start);
        QCOMPARE(LastGdsBlockStart(capture), qsizetype(start));
    }

    void aBlockWithoutTheHashIsNotCompatible() {
        Table table;
        const GdsBlockResult result =
            ConvertGdsBlock("1.00V\n" + Block(Pairs({0, 1})), table.cells.get(), kRows, 0, 1, 25);
        QVERIFY(!result.compatible);
        QCOMPARE(result.rows, 0);
        QVERIFY(IsNoValue(table[0][1]));
    }

    void theTableCapacityBoundsTheRows() {
        QByteArray pairs;
        for (int k = 0; k < 5200; ++k)
            pairs += Pairs({0, k % 100 + 1});
        Table table;
        QCOMPARE(ConvertGdsBlock(Block(pairs, "510409"), table.cells.get(), kRows, 0, 1, 25).rows,
                 kRows);
        QCOMPARE(ConvertGdsBlock(Block(pairs), table.cells.get(), 7, 0, 1, 25).rows, 7);
        // Columns past the edge pair are refused, never written.
        QCOMPARE(ConvertGdsBlock(Block(pairs), table.cells.get(), kRows, 5, 1, 25).rows, 0);
    }

    // Good replies cut, spliced and corrupted at random: nothing may crash or
    // read out of bounds (run under the sanitizers), rows stay in the table.
    void mutatedRepliesAreHandledSafely() {
        QByteArray pairs;
        for (int k = 0; k < 300; ++k)
            pairs += Pairs({k % 3 ? 0x00 : 0xFF, (k * 37) & 0xFF});
        const QByteArray goods[] = {Block(pairs), Block(pairs.left(40), "249") + "\n",
                                    QByteArray("2.000ms\n500mV\n1.00V\n1.2V\nchan off\n")};
        QRandomGenerator random(20261210);
        Table table;
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = goods[random.bounded(3)];
            switch (random.bounded(4)) {
            case 0:
                bytes.truncate(random.bounded(int(bytes.size()) + 1));
                break;
            case 1:
                bytes = bytes.left(random.bounded(int(bytes.size()) + 1)) +
                        goods[random.bounded(3)].mid(random.bounded(20));
                break;
            case 2:
                for (int k = random.bounded(1, 12); k > 0 && !bytes.isEmpty(); --k)
                    bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
                break;
            default:
                bytes.insert(random.bounded(int(bytes.size()) + 1),
                             QByteArray(random.bounded(1, 30), char(random.bounded(256))));
            }
            const int capacity = random.bounded(2) ? kRows : random.bounded(1, 50);
            const int column = random.bounded(3) * 2;
            const qsizetype start = LastGdsBlockStart(bytes);
            QVERIFY(start >= 0 && start <= bytes.size());
            const GdsBlockResult result =
                ConvertGdsBlock(bytes.mid(random.bounded(2) ? start : 0), table.cells.get(),
                                capacity, column, 0.001f, 0.5f);
            QVERIFY(result.rows >= 0 && result.rows <= capacity);
            for (int r = 0; r < result.rows; ++r)
                QVERIFY(std::isfinite(table[r][column + 1]));
            const GdsSettings settings = ParseGdsSettings(QString::fromLatin1(bytes));
            QVERIFY(IsNoValue(settings.timebase) || std::isfinite(settings.timebase));
            for (const QString& field : settings.fields)
                QVERIFY(field.size() <= 100);
        }
    }
};

QTEST_APPLESS_MAIN(TestGdsProtocol)
#include "tst_gdsprotocol.moc"
