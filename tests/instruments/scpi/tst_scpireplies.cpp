// The SCPI reply parsers on hand-built replies as the vendors' guides show
// them: blocks cut at every offset and behind headers or garbage, preambles of
// both makers and broken ones, the makers of "*IDN?", the even thinning; then
// good replies corrupted at random, which must never crash or read out of bounds.

#include <QRandomGenerator>
#include <QTest>
#include <cmath>

#include "instruments/scpi/scpireplies.h"
#include "mutation.h"

namespace {

QByteArray Block(const QByteArray& data, int digits = 9) {
    return '#' + QByteArray::number(digits) +
           QByteArray::number(data.size()).rightJustified(digits, '0') + data + '\n';
}

QByteArray Binary(int size) {
    QByteArray data;
    for (int i = 0; i < size; ++i)
        data += char(i * 37); // every byte value, line feeds and "#" included
    return data;
}

const QByteArray kRigolPreamble = "0,2,12000,1,1.000000e-06,-6.000000e-03,0,4.000000e-02,0,127";
const QByteArray kKeysightPreamble =
    "+0,+0,+5000,+1,+2.00000000E-06,-5.00000000E-03,+0,+1.00000000E-02,-1.00000000E-01,+128";

} // namespace

class TestScpiReplies : public QObject {
    Q_OBJECT

  private slots:
    void blocksAreCompleteAtTheirDeclaredEndAndNotBefore() {
        const QByteArray data = Binary(300);
        for (int digits : {3, 9}) {
            const QByteArray reply = Block(data, digits);
            for (int cut = 0; cut <= reply.size(); ++cut) {
                const ScpiBlock block = FindScpiBlock(reply.left(cut));
                const qsizetype end = 2 + digits + data.size();
                if (cut < end) {
                    QCOMPARE(block.status, ScpiBlock::Incomplete);
                } else {
                    QCOMPARE(block.status, ScpiBlock::Complete);
                    QCOMPARE(block.dataOffset, qsizetype(2 + digits));
                    QCOMPARE(block.length, qint64(300));
                    QCOMPARE(block.end, end);
                    QCOMPARE(reply.mid(block.dataOffset, 300), data);
                }
            }
        }
        QCOMPARE(FindScpiBlock("#15abcde").status, ScpiBlock::Complete);
        QCOMPARE(FindScpiBlock("#9000000000\n").status, ScpiBlock::Complete); // empty
    }

    void headersAndGarbageBeforeTheBlockArePassedOver() {
        const QByteArray data = Binary(40);
        for (const QByteArray& before :
             {QByteArray(":WAV:DATA "), QByteArray("\n"), QByteArray("\x01\xff garbage ")}) {
            const QByteArray reply = before + Block(data, 8);
            const ScpiBlock block = FindScpiBlock(reply);
            QCOMPARE(block.status, ScpiBlock::Complete);
            QCOMPARE(reply.mid(block.dataOffset, block.length), data);
        }
    }

    void malformedBlocksAreInvalid() {
        const struct {
            const char* reply;
            ScpiBlock::Status status;
        } cases[] = {
            {"#0abc\n", ScpiBlock::Invalid},  // indefinite length
            {"#A123", ScpiBlock::Invalid},    // not a digit count
            {"#31x0abc", ScpiBlock::Invalid}, // a length digit that is not one
            {"#", ScpiBlock::Incomplete},     // the count to come
            {"#3", ScpiBlock::Incomplete},    // the length to come
            {"no block yet", ScpiBlock::Incomplete},
        };
        for (const auto& c : cases)
            QCOMPARE(FindScpiBlock(QByteArray(c.reply)).status, c.status);
    }

    void linesEndAtTheLineFeedAndEmptyOnesAreDropped() {
        QByteArray buffer = "\n\r\n 1\r\nTD";
        QByteArray line;
        QVERIFY(TakeScpiLine(&buffer, &line));
        QCOMPARE(line, QByteArray("1"));
        QVERIFY(!TakeScpiLine(&buffer, &line));
        QCOMPARE(buffer, QByteArray("TD"));
        buffer += "\n";
        QVERIFY(TakeScpiLine(&buffer, &line));
        QCOMPARE(line, QByteArray("TD"));
    }

    void preamblesOfBothMakersAreRead() {
        ScpiPreamble rigol;
        QString why;
        QVERIFY(ParseScpiPreamble(kRigolPreamble, &rigol, &why));
        QCOMPARE(rigol.type, 2);
        QCOMPARE(rigol.points, qint64(12000));
        QCOMPARE(rigol.xIncrement, 1e-6);
        QCOMPARE(rigol.xOrigin, -6e-3);
        QCOMPARE(rigol.yIncrement, 0.04);
        QCOMPARE(rigol.yReference, 127.0);

        ScpiPreamble keysight;
        QVERIFY(ParseScpiPreamble(kKeysightPreamble, &keysight, &why));
        QCOMPARE(keysight.points, qint64(5000));
        QCOMPARE(keysight.yOrigin, -0.1);
        QCOMPARE(keysight.yReference, 128.0);

        // A scope answering with headers on.
        ScpiPreamble headed;
        QVERIFY(ParseScpiPreamble(":WAV:PRE " + kRigolPreamble + "\r", &headed, &why));
        QCOMPARE(headed.points, qint64(12000));
    }

    void brokenPreamblesAreRefusedWithTheirReason() {
        const struct {
            QByteArray line;
            const char* reason;
        } cases[] = {
            {"0,2,12000,1,1e-6,0,0,0.04,0", "9 champs"},
            {"0,2,12000,1,1e-6,0,0,0.04,0,127,5", "11 champs"},
            {"", "1 champs"},
            {"0,2,12000,1,nan,0,0,0.04,0,127", "champ 5 du préambule non fini"},
            {"0,2,12000,1,1e-6,0,0,inf,0,127", "champ 8 du préambule non fini"},
            {"0,2,12000,1,1e-6,0,0,0.04,1e999,127", "champ 9 du préambule"},
            {"0,2,12000,1,1e-6,0,0,0.04,0,12x", "champ 10 du préambule illisible"},
            {"1,2,12000,1,1e-6,0,0,0.04,0,127", "format de transfert 1"},
            {"0,2,0,1,1e-6,0,0,0.04,0,127", "nombre de points 0"},
            {"0,2,12.5,1,1e-6,0,0,0.04,0,127", "nombre de points 12.5"},
            {"0,2,-4,1,1e-6,0,0,0.04,0,127", "nombre de points -4"},
            {"0,2,12000,1,0,0,0,0.04,0,127", "pas de temps ou de tension nul"},
            {"0,2,12000,1,1e-6,0,0,0,0,127", "pas de temps ou de tension nul"},
        };
        for (const auto& c : cases) {
            ScpiPreamble preamble;
            QString why;
            QVERIFY2(!ParseScpiPreamble(c.line, &preamble, &why), c.line.constData());
            QVERIFY2(why.contains(QString::fromUtf8(c.reason)), qPrintable(why));
        }
    }

    void theMakerChoosesTheDialect() {
        const struct {
            const char* idn;
            ScpiDialect dialect;
            const char* model;
        } cases[] = {
            {"RIGOL TECHNOLOGIES,DS1104Z,DS1ZA000000001,00.04.04.SP4", ScpiDialect::Rigol,
             "DS1104Z"},
            {"Rigol Technologies,MSO1104Z,DS1ZC,00.04.04", ScpiDialect::Rigol, "MSO1104Z"},
            {"KEYSIGHT TECHNOLOGIES,DSO-X 1204G,CN00000001,02.10.2019111333", ScpiDialect::Keysight,
             "DSO-X 1204G"},
            {"AGILENT TECHNOLOGIES,DSO-X 2002A,MY5,02.43", ScpiDialect::Keysight, "DSO-X 2002A"},
            {"TEKTRONIX,TBS 1052B,C010000,CF:91.1CT FV:v1.00", ScpiDialect::Tektronix, "TBS 1052B"},
            {"SIGLENT,SDS1202X-E,SDSM,8.1", ScpiDialect::Unsupported, "SDS1202X-E"},
            {"", ScpiDialect::Unsupported, ""},
        };
        for (const auto& c : cases) {
            const ScpiIdentity identity = IdentifyScpi(QString::fromLatin1(c.idn));
            QCOMPARE(identity.dialect, c.dialect);
            QCOMPARE(identity.model, QString::fromLatin1(c.model));
        }
        QVERIFY(ScpiDialectNote(IdentifyScpi("TEKTRONIX,TDS 2012")).contains("Acq. Tektronix"));
    }

    void bytesConvertByEachMakersRule() {
        ScpiPreamble rigol;
        QString why;
        QVERIFY(ParseScpiPreamble(kRigolPreamble, &rigol, &why));
        // Rigol: (b - yorigin - yreference) * yincrement.
        QCOMPARE(ScpiVolts(ScpiDialect::Rigol, 127, rigol), 0.0);
        QVERIFY(std::abs(ScpiVolts(ScpiDialect::Rigol, 227, rigol) - 4.0) < 1e-12);
        QVERIFY(std::abs(ScpiTime(6000, rigol) - 0.0) < 1e-12);
        QVERIFY(std::abs(ScpiTime(0, rigol) + 6e-3) < 1e-12);
        ScpiPreamble keysight;
        QVERIFY(ParseScpiPreamble(kKeysightPreamble, &keysight, &why));
        // Keysight: (b - yreference) * yincrement + yorigin.
        QVERIFY(std::abs(ScpiVolts(ScpiDialect::Keysight, 128, keysight) + 0.1) < 1e-12);
        QVERIFY(std::abs(ScpiVolts(ScpiDialect::Keysight, 228, keysight) - 0.9) < 1e-12);
        QVERIFY(std::abs(ScpiTime(2500, keysight) - 0.0) < 1e-12);
    }

    void recordsAreThinnedEvenlyToTheTable() {
        const struct {
            qint64 total;
            std::size_t kept;
            qint64 minStep, maxStep;
        } cases[] = {
            {1200, 1200, 1, 1},                         // the displayed record: every point
            {5000, 5000, 1, 1},    {12000, 5000, 2, 3}, // a Rigol's default memory
            {62500, 5000, 12, 13}, {24000000, 5000, 4800, 4800}, // the deepest memory
        };
        for (const auto& c : cases) {
            const std::vector<qint64> indices = ThinnedIndices(c.total, 5000);
            QCOMPARE(indices.size(), c.kept);
            QCOMPARE(indices.front(), qint64(0));
            QVERIFY(indices.back() < c.total);
            QVERIFY(indices.back() >= c.total - c.maxStep);
            for (std::size_t k = 1; k < indices.size(); ++k) {
                const qint64 step = indices[k] - indices[k - 1];
                QVERIFY(step >= c.minStep && step <= c.maxStep);
            }
        }
        QVERIFY(ThinnedIndices(0, 5000).empty());
    }

    void corruptedRepliesNeverCrashTheParsers() {
        QRandomGenerator random(19);
        const QByteArray goodBlocks[] = {Block(Binary(200), 9), Block(Binary(33), 2),
                                         ":WAV:DATA " + Block(Binary(5), 1)};
        const QByteArray goodPreambles[] = {kRigolPreamble, kKeysightPreamble};
        for (int n = 0; n < 20000; ++n) {
            const QByteArray block = Mutate(random, goodBlocks[n % 3]);
            const ScpiBlock found = FindScpiBlock(block);
            if (found.status == ScpiBlock::Complete) {
                QVERIFY(found.dataOffset >= 2 && found.end <= block.size());
                QCOMPARE(qint64(found.end - found.dataOffset), found.length);
                // The bytes it points at are inside the reply.
                volatile char last = found.length ? block.at(found.end - 1) : 0;
                (void)last;
            }
            ScpiPreamble preamble;
            QString why;
            if (ParseScpiPreamble(Mutate(random, goodPreambles[n % 2]), &preamble, &why)) {
                QVERIFY(preamble.points >= 1);
                QVERIFY(std::isfinite(preamble.xIncrement) && std::isfinite(preamble.yOrigin));
                const std::vector<qint64> kept = ThinnedIndices(preamble.points, 5000);
                QVERIFY(kept.back() < preamble.points);
            } else {
                QVERIFY(!why.isEmpty());
            }
            QByteArray buffer = Mutate(random, "1\nTD\n" + goodPreambles[n % 2] + '\n');
            QByteArray line;
            while (TakeScpiLine(&buffer, &line))
                QVERIFY(!line.isEmpty() && !line.contains('\n'));
        }
    }
};

QTEST_GUILESS_MAIN(TestScpiReplies)
#include "tst_scpireplies.moc"
