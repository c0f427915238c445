#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/novalue.h"
#include "decode/scanmodel.h"
#include "doc/zbdoc.h"
#include "testsupport.h"

namespace {

const QString kOpening = QStringLiteral(
    "Définir une zone puis cliquez sur Générer fronts pour décoder le graphe U=f(t)...\n[0][1]");
const QString kConfirmed =
    QStringLiteral("Largeurs T et E confirmées.\nCliquer sur Analyser code...");
const QString kMiddleMissing =
    QStringLiteral("Barres du milieu absentes.\nLargeurs références sur barres de gauche...");

QString Saved(const QTemporaryDir& dir, const QString& name, const ScanTrace& trace,
              std::int16_t display = kChannelCh1) {
    CZbDoc doc(nullptr);
    WriteScan(doc, trace);
    doc.m_nDisplay = display;
    doc.m_strCode = QStringLiteral("1111111111116");
    const QString path = dir.filePath(name);
    QString error;
    if (!doc.Save(path, &error)) qWarning("%s", qPrintable(error));
    return path;
}

ScanTrace CodeScan(const QString& code) {
    ScanParameters parameters;
    parameters.samplePeriod = parameters.moduleTime / 20;
    parameters.noise = 0.05f;
    parameters.riseTime = parameters.samplePeriod;
    parameters.startTime = -1e-3;
    return MakeCodeScan(code, parameters);
}

QString Text(const QByteArray& bytes) {
    return QString::fromLocal8Bit(bytes);
}

} // namespace

class TestBatchDecode : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase()
    {
        // Qt warns on standard error without it; the texts there are checked.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void decodesAScan_data() {
        QTest::addColumn<int>("display");
        QTest::newRow("saved on the graph") << int(kChannelCh1);
        QTest::newRow("saved on the code sheet") << 0;
    }
    void decodesAScan() {
        QFETCH(int, display);
        QTemporaryDir dir;
        const QString in =
            Saved(dir, QStringLiteral("scan.cod"), CodeScan(QStringLiteral("9780201379624")),
                  static_cast<std::int16_t>(display));
        const QString out = dir.filePath(QStringLiteral("decoded.cod"));
        const ProcessResult result =
            RunLineatix({QStringLiteral("--decode"), QStringLiteral("--save"), out, in});
        QCOMPARE(Text(result.err), QString());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(
            Text(result.out),
            kOpening +
                QStringLiteral("\nNb. de fronts: 60\nConfirmer la largeur du trait "
                               "simple T et de l'espace simple E...\n") +
                kConfirmed +
                QStringLiteral("\nCode barre extrait: 9780201379624\nCliquer sur Fermer...\n"));

        CZbDoc doc(nullptr);
        QString error;
        QVERIFY2(doc.Load(out, &error), qPrintable(error));
        QCOMPARE(doc.m_strCode, QStringLiteral("9780201379624"));
        QCOMPARE(int(doc.m_nDisplay), kChannelCh1 | kChannelEdges);
        // The FRONTS curve follows the samples and takes both levels.
        int high = 0;
        for (int row = 0; row < doc.m_nPoints; ++row) {
            QVERIFY(!IsNoValue(doc.m_fT[row][4]));
            if (doc.m_fT[row][5] > 2) ++high;
        }
        QVERIFY(high > 0 && high < doc.m_nPoints);
    }

    void reportsDecoderErrors_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("steps"); // stdout after the opening text
        QTest::addColumn<QStringList>("boxes");
        const QString noEdge = QStringLiteral(
            "Nb. de fronts: 0 (Insuffisant)\nConfirmer la largeur du trait simple T et de "
            "l'espace simple E...\n");
        const QString report = QStringLiteral(
            "Erreur(s) d'extraction du code barre:\n- Nb. de fronts insuffisant\nCliquer sur "
            "Fermer...\n");
        // URef 12 is used as 10 V, above the scan: no crossing at all.
        QTest::newRow("URef above the scan")
            << QStringList{QStringLiteral("--uref"), QStringLiteral("12")}
            << noEdge + kConfirmed + QLatin1Char('\n') + report
            << QStringList{kMiddleMissing,
                           QStringLiteral("Extraction code droit ...\nXXXXXXX111116")};
    }
    void reportsDecoderErrors() {
        QFETCH(QStringList, options);
        QFETCH(QString, steps);
        QFETCH(QStringList, boxes);
        QTemporaryDir dir;
        const QString in =
            Saved(dir, QStringLiteral("scan.cod"), CodeScan(QStringLiteral("5410673004208")));
        const ProcessResult result =
            RunLineatix(QStringList{QStringLiteral("--decode")} + options + QStringList{in});
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(Text(result.out), kOpening + QLatin1Char('\n') + steps);
        QCOMPARE(Text(result.err), boxes.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }

    void flatTraceHasNoEdge() {
        ScanTrace flat;
        for (int row = 0; row < 1000; ++row) {
            flat.time.push_back(row * 1e-6f);
            flat.value.push_back(0.4f);
        }
        QTemporaryDir dir;
        const QString in = Saved(dir, QStringLiteral("flat.cod"), flat);
        const QString out = dir.filePath(QStringLiteral("out.cod"));
        const ProcessResult result =
            RunLineatix({QStringLiteral("--decode"), in, QStringLiteral("--save"), out});
        QCOMPARE(result.exitCode, 2);
        QVERIFY(Text(result.out).contains(QStringLiteral("Nb. de fronts: 0 (Insuffisant)")));
        QVERIFY(Text(result.out).contains(QStringLiteral("- Nb. de fronts insuffisant")));
        QVERIFY(Text(result.err).startsWith(kMiddleMissing));
        CZbDoc doc(nullptr);
        QString error;
        QVERIFY2(doc.Load(out, &error), qPrintable(error));
        for (int row = 0; row < doc.m_nPoints; ++row)
            QVERIFY(IsNoValue(doc.m_fT[row][5]));
    }

    void fileAndUsageErrors_data() {
        QTest::addColumn<QStringList>("arguments"); // %1 stands for the damaged file
        QTest::newRow("damaged file") << QStringList{QStringLiteral("%1")};
        QTest::newRow("missing file") << QStringList{QStringLiteral("absent.cod")};
        QTest::newRow("no input") << QStringList{};
        QTest::newRow("URef not a number")
            << QStringList{QStringLiteral("--uref"), QStringLiteral("deux"), QStringLiteral("%1")};
        QTest::newRow("two inputs") << QStringList{QStringLiteral("%1"), QStringLiteral("%1")};
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--fast"), QStringLiteral("%1")};
    }
    void fileAndUsageErrors() {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        // A scan file cut in the middle of its sample table.
        const QString good =
            Saved(dir, QStringLiteral("scan.cod"), CodeScan(QStringLiteral("5410673004208")));
        QFile file(good);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(file.size() / 2));
        file.close();
        for (QString& argument : arguments)
            argument.replace(QStringLiteral("%1"), good);
        const ProcessResult result =
            RunLineatix(QStringList{QStringLiteral("--decode")} + arguments, dir.path());
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(Text(result.out), QString());
        QVERIFY(!result.err.isEmpty());
    }

    void documentWithoutSamples() {
        QTemporaryDir dir;
        const QString in = Saved(dir, QStringLiteral("empty.cod"), ScanTrace());
        const ProcessResult result = RunLineatix({QStringLiteral("--decode"), in});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(Text(result.err).contains(QStringLiteral("aucune acquisition")));
    }

private:
    QTemporaryDir m_runtime;
};

QTEST_GUILESS_MAIN(TestBatchDecode)
#include "tst_batchdecode.moc"
