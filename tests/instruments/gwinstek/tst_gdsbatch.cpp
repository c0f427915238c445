// lineatix --acquire gds against the simulated GDS-820C on a real
// pseudo-terminal, then --decode of the saved document; and the failures a
// script must see: no device, an instrument that never answers, a channel off.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ptysupport.h"
#include "scriptedinstrument.h"
#include "testsupport.h"

namespace {

QStringList Lines(const QByteArray& out) {
    return QString::fromLocal8Bit(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The five settings lines a GDS-820C answers to the settings query.
const ScriptedReply kSettings{":MEASure:VMAX?\n", "2.000ms\n500mV\n1.00V\n1.2V\n3.1V\n"};

} // namespace

class TestGdsBatch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

  private slots:
    void initTestCase() {
        // The capture file and the profile of the programs run here stay in the test's folder.
        qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    }

    // A block that holds no sample: the window's texts, then a failure with
    // the reason, and nothing saved.
    void aBlockWithoutSamplesIsAFailure() {
        CTestPty pty;
        const QString saved = m_dir.filePath(QStringLiteral("empty.cod"));
        const ProcessResult run = RunLineatixAgainst(
            pty,
            {QStringLiteral("--acquire"), QStringLiteral("gds"), QStringLiteral("--port"),
             pty.SlavePath(), QStringLiteral("--save"), saved},
            {kSettings, {":ACQuire1:POINt\n", "#40009" + QByteArray(9, char(0x01))}});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.out.contains("Fin d'acquisition.\n1 valeurs écrites dans le tableau.\n(15)"),
                 run.out.constData());
        QCOMPARE(QString::fromLocal8Bit(run.err).trimmed(),
                 QStringLiteral("CH1 : aucune valeur écrite dans le tableau."));
        QVERIFY(!QFile::exists(saved));
    }

    // Gaps under a second never close the capture: --timeout bounds the wait.
    void aScopeThatKeepsSendingStopsAtTheTimeout() {
        CTestPty pty;
        const ProcessResult run = RunLineatixAgainst(
            pty,
            {QStringLiteral("--acquire"), QStringLiteral("gds"), QStringLiteral("--port"),
             pty.SlavePath(), QStringLiteral("--timeout"), QStringLiteral("1.5")},
            {{":MEASure:VMAX?\n", "2.000ms\n", true}});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(
            QString::fromLocal8Bit(run.err).trimmed(),
            QStringLiteral("L'oscilloscope répond depuis plus de 1.5 s : acquisition arrêtée."));
    }

    void theSimulatedScanIsAcquiredThenDecoded() {
        auto simulator = StartSimulator(
            QStringLiteral("gds"), {QStringLiteral("--code"), QStringLiteral("4006381333931")});
        QVERIFY(!simulator->devicePath.isEmpty());
        const QString saved = m_dir.filePath(QStringLiteral("scan.cod"));
        const ProcessResult acquired = RunLineatix(
            {QStringLiteral("--acquire"), QStringLiteral("gds"), QStringLiteral("--port"),
             simulator->devicePath, QStringLiteral("--channels"), QStringLiteral("CH1,CH2"),
             QStringLiteral("--save"), saved});
        QVERIFY2(acquired.exitCode == 0, acquired.err.constData());
        QCOMPARE(
            Lines(acquired.out),
            (QStringList{
                QStringLiteral("Sélectionner les voies d'acquisition, puis cliquer sur Acquérir."),
                QStringLiteral("Base de temps (s): 5.0e-004"),
                QStringLiteral("Calibre voie 1 (V): 1.0e+000"),
                QStringLiteral("Calibre voie 2 (V): 1.0e+000"),
                QStringLiteral("Fin d'acquisition."),
                QStringLiteral("4001 valeurs écrites dans le tableau."),
                QStringLiteral("(8016)")}));
        QVERIFY(
            QFileInfo::exists(m_dir.filePath(QStringLiteral("cache/Lineatix/Lineatix/zb.$$$"))));

        const ProcessResult decoded = RunLineatix({QStringLiteral("--decode"), saved});
        QVERIFY2(decoded.exitCode == 0, decoded.out.constData());
        QVERIFY(decoded.out.contains("Code barre extrait: 4006381333931"));
    }

    void aBlockSentInPiecesWithPausesUnderASecond() {
        auto simulator = StartSimulator(QStringLiteral("gds"),
                                        {QStringLiteral("--pieces"), QStringLiteral("3"),
                                         QStringLiteral("--pause"), QStringLiteral("700")});
        QVERIFY(!simulator->devicePath.isEmpty());
        const QString saved = m_dir.filePath(QStringLiteral("pieces.cod"));
        const ProcessResult acquired = RunLineatix(
            {QStringLiteral("--acquire"), QStringLiteral("gds"), QStringLiteral("--port"),
             simulator->devicePath, QStringLiteral("--save"), saved});
        QVERIFY2(acquired.exitCode == 0, acquired.err.constData());
        QVERIFY(acquired.out.contains("4001 valeurs écrites dans le tableau.\n(8016)"));
        const ProcessResult decoded = RunLineatix({QStringLiteral("--decode"), saved});
        QVERIFY(decoded.out.contains("Code barre extrait: 5410673004208"));
    }

    void aChannelSwitchedOffCannotBeAcquired() {
        auto simulator = StartSimulator(QStringLiteral("gds"),
                                        {QStringLiteral("--channel-off"), QStringLiteral("2")});
        const ProcessResult result = RunLineatix(
            {QStringLiteral("--acquire"), QStringLiteral("gds"), QStringLiteral("--port"),
             simulator->devicePath, QStringLiteral("--channels"), QStringLiteral("CH2")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.err.contains("La voie 2 est éteinte sur l'oscilloscope."));
    }

    void portAndCommunicationErrors() {
        const ProcessResult missing =
            RunLineatix({QStringLiteral("--acquire"), QStringLiteral("gds"),
                         QStringLiteral("--port"), QStringLiteral("/dev/ttyLineatixNone")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.out.contains("Erreur d'écriture sur le port série n°1 !"));
        QVERIFY(missing.err.contains("Le périphérique /dev/ttyLineatixNone n'existe pas."));

        CTestPty silent; // an instrument that never answers
        const ProcessResult mute = RunLineatix({QStringLiteral("--acquire"), QStringLiteral("gds"),
                                                QStringLiteral("--port"), silent.SlavePath()});
        QCOMPARE(mute.exitCode, 1);
        QVERIFY2(mute.err.contains("Erreur de communication avec oscilloscope GW Instek !"),
                 mute.err.constData());
        QVERIFY(silent.ReadAvailable().startsWith(":TIMebase:SCALe?\n"));

        for (const QStringList& wrong :
             {QStringList{QStringLiteral("--acquire"), QStringLiteral("gds")},
              QStringList{QStringLiteral("--acquire"), QStringLiteral("gds"),
                          QStringLiteral("--port"), QStringLiteral("COM1"),
                          QStringLiteral("--channels"), QStringLiteral("REF1")},
              QStringList{QStringLiteral("--acquire"), QStringLiteral("gds"),
                          QStringLiteral("--port"), QString()},
              QStringList{QStringLiteral("--acquire"), QStringLiteral("gds"),
                          QStringLiteral("--port"), QStringLiteral("  ")},
              QStringList{QStringLiteral("--acquire"), QStringLiteral("gds"),
                          QStringLiteral("--port"), QStringLiteral("COM1"),
                          QStringLiteral("--timeout"), QStringLiteral("-1")}}) {
            const ProcessResult usage = RunLineatix(wrong);
            QCOMPARE(usage.exitCode, 1);
            QVERIFY(usage.err.contains("Usage: lineatix --acquire gds"));
        }
    }
};

QTEST_GUILESS_MAIN(TestGdsBatch)
#include "tst_gdsbatch.moc"
