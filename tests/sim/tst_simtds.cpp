// lineatix-sim tds on its pseudo-terminal, as the acquisition relies on it:
// one line for the identification and for each preamble query (the source
// prefix only on a 3XX), and the record's levels for CURVe?, whatever way
// the commands are cut.

#include <QTest>

#include "instruments/serial/serialdevice.h"
#include "ptysupport.h"
#include "testsupport.h"

namespace {

// Sends the commands one byte at a time and collects the answer until `lines`
// line ends have come.
QByteArray Ask(CSerialTransport& device, const QByteArray& commands, int lines) {
    for (const char c : commands)
        device.Write(QByteArray(1, c));
    QByteArray answer;
    // On a time-out the caller finds the answer short.
    (void)QTest::qWaitFor([&] { return (answer += device.ReadPending()).count('\n') >= lines; },
                          5000);
    return answer;
}

} // namespace

class TestSimTds : public QObject {
    Q_OBJECT

  private slots:
    void aTds3xxAnswersPrefixedQueries() {
        auto sim = StartSimulator(QStringLiteral("tds"));
        QVERIFY(!sim->devicePath.isEmpty());
        QString reason;
        auto device = OpenSerialDevice(sim->devicePath, &reason);
        QVERIFY2(device, qPrintable(reason));
        QVERIFY(Ask(*device, "RS232:PRESET\nID?\n", 1).contains("TDS 3"));
        const QByteArray preamble =
            Ask(*device,
                "WFMPre:CH2:NR_Pt?\nWFMPre:CH2:PT_Off?\nWFMPre:CH2:XINcr?\nWFMPre:CH2:YMULt?\n"
                "WFMPre:CH2:YZERo?\nWFMPre:CH2:YOFf?\n",
                6);
        const QList<QByteArray> lines = preamble.split('\n');
        QCOMPARE(lines.value(0), QByteArray("2500"));
        QCOMPARE(lines.value(1), QByteArray("1250"));
        QCOMPARE(lines.value(2).toDouble(), 4e-6);
        QCOMPARE(lines.value(3).toDouble(), 0.04);

        const QByteArray curve = Ask(*device, "DATA:SOURCE CH2\nCURVe?\n", 1);
        QVERIFY(curve.endsWith('\n'));
        QCOMPARE(curve.count(','), 2499);
        QCOMPARE(Ask(*device, "DATa:STARt 1\nDATa:STOP 100\nCURVe?\n", 1).count(','), 99);
    }

    void anotherModelIgnoresThePrefix() {
        auto sim = StartSimulator(QStringLiteral("tds"), {"--type", "xxx"});
        QVERIFY(!sim->devicePath.isEmpty());
        QString reason;
        auto device = OpenSerialDevice(sim->devicePath, &reason);
        QVERIFY2(device, qPrintable(reason));
        const QByteArray id = Ask(*device, "ID?\n", 1);
        QVERIFY(!id.contains("TDS 3"));
        // The prefixed query goes unanswered; the bare one is answered.
        QCOMPARE(Ask(*device, "WFMPre:CH1:NR_Pt?\nWFMPre:NR_Pt?\n", 1), QByteArray("2500\n"));
    }

    void wrongOptionsAreRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("short code") << QStringList{"tds", "--code", "123"};
        QTest::newRow("type") << QStringList{"tds", "--type", "4xx"};
        QTest::newRow("unknown option") << QStringList{"tds", "--speed", "2"};
    }
    void wrongOptionsAreRefused() {
        QFETCH(QStringList, arguments);
        const ProcessResult run = RunProgram(qEnvironmentVariable("LINEATIX_SIM"), arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("Usage: lineatix-sim tds"));
    }
};

QTEST_GUILESS_MAIN(TestSimTds)
#include "tst_simtds.moc"
