// The simulators' SCPI parser: the header forms a client may send, the
// replies of a line, the error queue and the event status register, lines cut
// anywhere, and garbage.

#include <QRandomGenerator>
#include <QTest>

#include "mutation.h"
#include "sim/scpiparser.h"

namespace {

// A small instrument: one setting, its query, a suffixed query, an optional
// node and a block.
struct Fixture {
    double level = 0;
    QList<int> suffixes;
    QList<QByteArray> arguments;
    CScpiParser parser;

    Fixture()
        : parser("MAKER,MODEL,0,1",
                 {
                     {":TRIGger[:EDGe]:LEVel",
                      [this](const ScpiCall& call) {
                          double value = 0;
                          if (!ScpiNumber(call.Argument(), &value)) return ScpiReply::Error(-224);
                          level = value;
                          arguments = call.arguments;
                          return ScpiReply::Nothing();
                      }},
                     {":TRIGger[:EDGe]:LEVel?",
                      [this](const ScpiCall&) { return ScpiReply::Of(QByteArray::number(level)); }},
                     {":CHANnel#:DISPlay?",
                      [this](const ScpiCall& call) {
                          suffixes = call.suffixes;
                          return ScpiReply::Of(QByteArray::number(call.Suffix()));
                      }},
                     {":WAVeform:PREamble?", [](const ScpiCall&) { return ScpiReply::Of("P"); }},
                     {":WAVeform:DATA?",
                      [](const ScpiCall&) { return ScpiReply::BlockOf(DefiniteBlock("ab")); }},
                     {":WAVeform:SOURce",
                      [this](const ScpiCall& call) {
                          arguments = call.arguments;
                          return ScpiReply::Nothing();
                      }},
                 }) {}

    QByteArray Ask(const QByteArray& line) { return parser.Execute(line).bytes; }
};

} // namespace

class TestScpiParser : public QObject {
    Q_OBJECT

  private slots:
    void headerForms_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("long") << QByteArray(":WAVeform:PREamble?") << QByteArray("P\n");
        QTest::newRow("short lower") << QByteArray(":wav:pre?") << QByteArray("P\n");
        QTest::newRow("long upper") << QByteArray(":WAVEFORM:PREAMBLE?") << QByteArray("P\n");
        QTest::newRow("mixed") << QByteArray(":Wav:PREAMBLE?") << QByteArray("P\n");
        QTest::newRow("no leading colon") << QByteArray("WAV:PRE?") << QByteArray("P\n");
        QTest::newRow("suffix") << QByteArray(":CHAN3:DISP?") << QByteArray("3\n");
        QTest::newRow("long suffix") << QByteArray(":channel2:display?") << QByteArray("2\n");
        QTest::newRow("suffix absent is 1") << QByteArray(":CHAN:DISP?") << QByteArray("1\n");
        QTest::newRow("optional node absent") << QByteArray(":TRIG:LEV?") << QByteArray("0\n");
        QTest::newRow("optional node present")
            << QByteArray(":TRIG:EDGE:LEV?") << QByteArray("0\n");
        QTest::newRow("common") << QByteArray("*idn?") << QByteArray("MAKER,MODEL,0,1\n");
        QTest::newRow("line end cr") << QByteArray("*OPC?\r") << QByteArray("1\n");
        QTest::newRow("several queries")
            << QByteArray("*OPC?;:WAV:PRE?;:CHAN2:DISP?") << QByteArray("1;P;2\n");
        QTest::newRow("relative to the previous path")
            << QByteArray(":WAV:SOUR CHAN1;PRE?") << QByteArray("P\n");
        QTest::newRow("common keeps the path")
            << QByteArray(":WAV:SOUR CHAN1;*OPC?;PRE?") << QByteArray("1;P\n");
        QTest::newRow("block") << QByteArray(":WAV:DATA?") << QByteArray("#12ab\n");
        QTest::newRow("setting then query")
            << QByteArray(":TRIG:EDGE:LEV 1.5;:TRIG:LEV?") << QByteArray("1.5\n");
        QTest::newRow("partial long form refused") << QByteArray(":WAVE:PRE?") << QByteArray();
        QTest::newRow("query of a setting only") << QByteArray(":WAV:SOUR?") << QByteArray();
        QTest::newRow("setting of a query only") << QByteArray(":WAV:PRE") << QByteArray();
        QTest::newRow("suffix where none is taken") << QByteArray(":WAV2:PRE?") << QByteArray();
        QTest::newRow("empty commands") << QByteArray(" ; ;") << QByteArray();
    }
    void headerForms() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, reply);
        Fixture fixture;
        QCOMPARE(fixture.Ask(line), reply);
        // What is refused is queued as an undefined header, nothing else is.
        const bool refused =
            reply.isEmpty() && QString::fromLatin1(line).contains(QLatin1Char(':'));
        QCOMPARE(fixture.Ask(":SYST:ERR?"),
                 QByteArray(refused ? "-113,\"Undefined header\"\n" : "0,\"No error\"\n"));
    }

    void argumentsAreSplitOutsideQuotes() {
        Fixture fixture;
        QCOMPARE(fixture.Ask(":WAV:SOUR  CHAN1 , \"a;b,c\" ,3;*OPC?"), QByteArray("1\n"));
        QCOMPARE(fixture.arguments, (QList<QByteArray>{"CHAN1", "\"a;b,c\"", "3"}));
    }

    void errorQueueAndEventStatus() {
        Fixture fixture;
        QCOMPARE(fixture.Ask("*ESR?"), QByteArray("0\n"));
        fixture.Ask(":NOSUCH:THING?");
        fixture.Ask(":TRIG:LEV abc"); // a handler's own error
        QCOMPARE(fixture.Ask("*STB?"), QByteArray("36\n"));
        QCOMPARE(fixture.Ask("*ESR?"), QByteArray("48\n")); // command and execution errors
        QCOMPARE(fixture.Ask("*ESR?"), QByteArray("0\n"));  // reading cleared it
        QCOMPARE(fixture.Ask(":SYSTem:ERRor?"), QByteArray("-113,\"Undefined header\"\n"));
        QCOMPARE(fixture.Ask(":syst:err:next?"), QByteArray("-224,\"Illegal parameter value\"\n"));
        QCOMPARE(fixture.Ask(":SYST:ERR?"), QByteArray("0,\"No error\"\n"));

        for (int i = 0; i < 30; ++i)
            fixture.Ask(":BAD");
        fixture.Ask("*OPC");
        QCOMPARE(fixture.Ask("*ESR?"), QByteArray("33\n"));
        QByteArray last;
        for (int i = 0; i < 20; ++i)
            last = fixture.Ask(":SYST:ERR?");
        QCOMPARE(last, QByteArray("-350,\"Queue overflow\"\n"));
        QCOMPARE(fixture.Ask(":SYST:ERR?"), QByteArray("0,\"No error\"\n"));

        fixture.Ask(":BAD");
        fixture.Ask("*CLS");
        QCOMPARE(fixture.Ask("*ESR?;:SYST:ERR?"), QByteArray("0;0,\"No error\"\n"));
    }

    void aBlockMayGoWithoutLineEnd() {
        Fixture fixture;
        fixture.parser.SetBlockLineEnd(false);
        const ScpiMessage block = fixture.parser.Execute(":WAV:DATA?");
        QCOMPARE(block.bytes, QByteArray("#12ab"));
        QVERIFY(block.hasBlock);
        QCOMPARE(fixture.Ask(":WAV:DATA?;*OPC?"), QByteArray("#12ab;1\n"));
        QVERIFY(!fixture.parser.Execute("*OPC?").hasBlock);
    }

    void definiteBlocks() {
        QCOMPARE(DefiniteBlock(QByteArray()), QByteArray("#10"));
        QCOMPARE(DefiniteBlock(QByteArray(1200, 'x'), 9).left(11), QByteArray("#9000001200"));
        QCOMPARE(DefiniteBlock(QByteArray(12, 'x')).left(4), QByteArray("#212"));
    }

    void parameterReaders() {
        bool flag = false;
        QVERIFY(ScpiBool(" on ", &flag) && flag);
        QVERIFY(ScpiBool("0", &flag) && !flag);
        QVERIFY(!ScpiBool("yes", &flag));
        double number = 0;
        QVERIFY(ScpiNumber("-2.5e-3", &number) && number == -2.5e-3);
        QVERIFY(!ScpiNumber("1,5", &number)); // the decimal comma of a French locale is no number
        QVERIFY(!ScpiNumber("nan", &number));
        long long whole = 0;
        QVERIFY(ScpiInteger("250000", &whole) && whole == 250000);
        QVERIFY(!ScpiInteger("1e30", &whole));
    }

    // Lines cut at every offset give the same replies as whole ones.
    void receiveCutAnywhere() {
        const QByteArray input = "*IDN?\r\n:wav:pre?;:CHAN2:DISP?\n:BAD\n:SYST:ERR?\n";
        Fixture whole;
        QByteArray expected;
        for (const ScpiMessage& message : whole.parser.Receive(input))
            expected += message.bytes;
        QCOMPARE(expected, QByteArray("MAKER,MODEL,0,1\nP;2\n-113,\"Undefined header\"\n"));
        for (int cut = 0; cut <= input.size(); ++cut) {
            Fixture fixture;
            QByteArray got;
            for (const ScpiMessage& message : fixture.parser.Receive(input.left(cut)))
                got += message.bytes;
            for (const ScpiMessage& message : fixture.parser.Receive(input.mid(cut)))
                got += message.bytes;
            QCOMPARE(got, expected);
        }
        // A client gone leaves no half line for the next.
        Fixture fixture;
        fixture.parser.Receive(":WAV:PR");
        fixture.parser.Drop();
        QCOMPARE(fixture.parser.Receive("*OPC?\n").value(0).bytes, QByteArray("1\n"));
    }

    // Garbage never crashes it, and it answers a clean line afterwards.
    void mutatedInput() {
        const QByteArray good = "*IDN?;:WAVeform:PREamble?\n:TRIG:EDGE:LEV 2.5;:TRIG:LEV?\n"
                                ":CHAN12:DISP?;:WAV:SOUR \"x;y\",2\n:WAV:DATA?;*ESR?\n";
        QRandomGenerator random(1919);
        for (int round = 0; round < 3000; ++round) {
            Fixture fixture;
            const QByteArray bad = Mutate(random, good, 8);
            for (qsizetype from = 0; from < bad.size(); from += 7)
                fixture.parser.Receive(bad.mid(from, 7));
            fixture.parser.Receive("\n");
            QCOMPARE(fixture.parser.Receive("*OPC?\n").value(0).bytes, QByteArray("1\n"));
        }
    }
};

QTEST_GUILESS_MAIN(TestScpiParser)
#include "tst_scpiparser.moc"
