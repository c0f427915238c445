// The whole road with the simulated Rigol and Keysight scopes: lineatix
// --acquire scpi reads both channels from lineatix-sim over a pseudo-terminal
// and over a loopback socket, then --decode gives back the simulated codes.

#include <QTemporaryDir>
#include <QTest>

#include "ptysupport.h"
#include "testsupport.h"

class TestScpiSimulators : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_runs = 0;

  private slots:
    void initTestCase() {
        qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    }

    void bothChannelsAcquiredThenDecoded_data() {
        QTest::addColumn<QString>("instrument");
        QTest::addColumn<QStringList>("simulatorOptions");
        QTest::addColumn<QString>("kept");
        // The Rigol's memory is read whole and thinned; the Keysight thins it itself.
        QTest::newRow("rigol, pty") << "rigol" << QStringList() << "12000 points lus, 5000 gardés";
        QTest::newRow("rigol, socket, deep memory")
            << "rigol" << QStringList{"--tcp", "0", "--depth", "600000"}
            << "600000 points lus, 5000 gardés";
        QTest::newRow("keysight, pty") << "keysight" << QStringList() << "5000 points lus";
        QTest::newRow("keysight, socket")
            << "keysight" << QStringList{"--tcp", "0"} << "5000 points lus";
    }

    void bothChannelsAcquiredThenDecoded() {
        QFETCH(QString, instrument);
        QFETCH(QStringList, simulatorOptions);
        QFETCH(QString, kept);
        auto simulator = StartSimulator(
            instrument,
            QStringList{"--code", "4006381333931", "--code2", "9780201379624"} + simulatorOptions);
        QVERIFY(!simulator->devicePath.isEmpty());

        const QString saved = m_dir.filePath(QStringLiteral("scan%1.cod").arg(++m_runs));
        const ProcessResult acquired =
            RunLineatix({"--acquire", "scpi", "--port", simulator->devicePath, "--channels",
                         "CH1,CH2", "--save", saved});
        QVERIFY2(acquired.exitCode == 0, acquired.err.constData());
        const QString out = QString::fromLocal8Bit(acquired.out);
        QVERIFY2(out.contains(QStringLiteral("Fin d'acquisition.")), qPrintable(out));
        QVERIFY2(out.contains(kept), qPrintable(out));

        // Both channels were stored; the decoder reads Voie 1.
        QVERIFY2(out.count(QStringLiteral(" points lus")) == 2, qPrintable(out));
        const ProcessResult first = RunLineatix({"--decode", saved});
        QVERIFY2(first.exitCode == 0, first.out.constData());
        QVERIFY2(first.out.contains("Code barre extrait: 4006381333931"), first.out.constData());
    }
};

QTEST_GUILESS_MAIN(TestScpiSimulators)
#include "tst_scpisimulators.moc"
