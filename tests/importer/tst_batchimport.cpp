// lineatix --import: a scan saved by an oscilloscope decodes with --decode;
// the program's own export comes back sample for sample; usage and file
// failures; the same result under the lab's French locale.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "common/novalue.h"
#include "decode/scanmodel.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "testsupport.h"

namespace {

const char kCode[] = "5410673004208";

ScanTrace Scan() {
    return MakeCodeScan(QString::fromLatin1(kCode), ScanParameters());
}

// The scan as a French spreadsheet would hold it: ";", decimal commas, ms and mV.
QByteArray FrenchSpreadsheet(const ScanTrace& scan) {
    QByteArray text = "Temps (ms);Signal (mV)\r\n";
    for (size_t i = 0; i < scan.time.size(); ++i)
        text += QByteArray::number(scan.time[i] * 1e3, 'f', 6).replace('.', ',') + ';' +
                QByteArray::number(scan.value[i] * 1e3, 'f', 3).replace('.', ',') + "\r\n";
    return text;
}

// Keysight InfiniiVision: "x-axis,1" and its units line.
QByteArray Keysight(const ScanTrace& scan) {
    QByteArray text = "x-axis,1\nsecond,Volt\n";
    for (size_t i = 0; i < scan.time.size(); ++i)
        text += QByteArray::number(scan.time[i], 'E', 7) + ',' +
                QByteArray::number(scan.value[i], 'E', 5) + '\n';
    return text;
}

// Rigol DS1000Z: sample indices, the start and increment on the second line.
QByteArray Rigol(const ScanTrace& scan) {
    QByteArray text = "X,CH1,Start,Increment,\nSequence,Volt,0.000000e+00,2.000000e-06\n";
    for (size_t i = 0; i < scan.value.size(); ++i)
        text += QByteArray::number(qulonglong(i)) + ',' +
                QByteArray::number(scan.value[i], 'e', 2) + ",\n";
    return text;
}

// One channel of a Tektronix TDS2000 save; the other channel a flat line.
QByteArray Tds(const ScanTrace& scan, const char* source, bool flat) {
    QByteArray text;
    for (size_t i = 0; i < scan.time.size(); ++i) {
        const char* name = i == 0   ? "Record Length"
                           : i == 1 ? "Sample Interval"
                           : i == 6 ? "Source"
                                    : "";
        const QByteArray value = i == 0   ? QByteArray::number(qulonglong(scan.time.size()))
                                 : i == 1 ? QByteArray("2.000000e-06")
                                 : i == 6 ? QByteArray(source)
                                          : QByteArray();
        text += QByteArray(name) + ',' + value + ",," + QByteArray::number(scan.time[i], 'f', 12) +
                ',' + QByteArray::number(flat ? 0.25 : scan.value[i], 'f', 5) + ",\r\n";
    }
    return text;
}

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
    return path;
}

bool Load(const QString& path, CZbDoc* doc) {
    QString error;
    return doc->Load(path, &error);
}

} // namespace

class TestBatchImport : public QObject {
    Q_OBJECT
  private slots:
    void importThenDecode_data();
    void importThenDecode();
    void ownExportComesBack();
    void failures_data();
    void failures();
    void sameUnderFrenchLocale();
};

void TestBatchImport::importThenDecode_data() {
    QTest::addColumn<QList<QByteArray>>("files");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("channels");
    const ScanTrace scan = Scan();
    QTest::newRow("French spreadsheet")
        << QList<QByteArray>{FrenchSpreadsheet(scan)} << QString::fromUtf8("CSV générique") << 1;
    QTest::newRow("Keysight") << QList<QByteArray>{Keysight(scan)}
                              << QStringLiteral("Keysight InfiniiVision") << 1;
    QTest::newRow("Rigol") << QList<QByteArray>{Rigol(scan)} << QStringLiteral("Rigol DS1000Z")
                           << 1;
    // Chosen CH2 first: the Source records put the scan in CH1.
    QTest::newRow("Tektronix pair")
        << QList<QByteArray>{Tds(scan, "CH2", true), Tds(scan, "CH1", false)}
        << QStringLiteral("Tektronix TDS2000/TBS1000") << 2;
}

void TestBatchImport::importThenDecode() {
    QFETCH(QList<QByteArray>, files);
    QFETCH(QString, layout);
    QFETCH(int, channels);
    QTemporaryDir dir;
    QStringList arguments{QStringLiteral("--import")};
    for (int i = 0; i < files.size(); ++i)
        arguments << Write(dir, i == 0 ? "F0000CH2.CSV" : "F0000CH1.CSV", files[i]);
    const QString cod = dir.filePath(QStringLiteral("scan.cod"));
    arguments << QStringLiteral("--save") << cod;
    const ProcessResult imported = RunLineatix(arguments);
    QVERIFY2(imported.exitCode == 0, imported.err.constData());
    QVERIFY2(imported.out.startsWith(("Format reconnu : " + layout).toUtf8()),
             imported.out.constData());
    QVERIFY(imported.out.contains(QByteArray::number(int(Scan().time.size())) + " points"));
    QVERIFY(imported.out.contains("non réduit"));

    CZbApp app;
    CZbDoc doc(&app);
    QVERIFY(Load(cod, &doc));
    QCOMPARE(int(doc.m_nChannels), channels == 2 ? 3 : 1);
    QCOMPARE(int(doc.m_nDisplay), channels == 2 ? 3 : 1);
    QCOMPARE(int(doc.m_nPoints), int(Scan().time.size()));
    QVERIFY(doc.m_astrLegend.value(0).startsWith(QStringLiteral("IMPORT ")));
    QCOMPARE(doc.m_astrLegend.value(1), QString::fromUtf8("Nom(s)/Prénom(s):"));

    const ProcessResult decoded = RunLineatix({QStringLiteral("--decode"), cod});
    QVERIFY2(decoded.exitCode == 0, (decoded.out + decoded.err).constData());
    QVERIFY2(decoded.out.contains(kCode), decoded.out.constData());
}

// --export-txt then --import: the same samples, bit for bit (the export's
// nine digits carry a float exactly).
void TestBatchImport::ownExportComesBack() {
    QTemporaryDir dir;
    CZbApp app;
    CZbDoc doc(&app);
    const ScanTrace scan = Scan();
    WriteScan(doc, scan);
    const QString in = dir.filePath(QStringLiteral("in.cod"));
    QString error;
    QVERIFY(doc.Save(in, &error));
    const QString text = dir.filePath(QStringLiteral("scan.txt"));
    QCOMPARE(RunLineatix({QStringLiteral("--export-txt"), text, in}).exitCode, 0);
    const QString back = dir.filePath(QStringLiteral("back.cod"));
    const ProcessResult imported =
        RunLineatix({QStringLiteral("--import"), text, QStringLiteral("--save"), back});
    QVERIFY2(imported.exitCode == 0, imported.err.constData());
    QVERIFY(imported.out.startsWith("Format reconnu : Export Lineatix (CODE BARRES EAN13)"));

    CZbDoc read(&app);
    QVERIFY(Load(back, &read));
    QCOMPARE(read.m_nPoints, doc.m_nPoints);
    for (int row = 0; row < doc.m_nPoints; ++row)
        for (int column : {0, 1})
            QVERIFY2(std::memcmp(&read.m_fT[row][column], &doc.m_fT[row][column], sizeof(float)) ==
                         0,
                     qPrintable(QStringLiteral("row %1").arg(row)));
    QVERIFY(IsNoValue(read.m_fT[doc.m_nPoints][0]));
}

void TestBatchImport::failures_data() {
    QTest::addColumn<QStringList>("arguments"); // "IN" stands for a good file, "BAD" a bad one
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("no file") << QStringList{"--import"} << 1
                             << "Usage: lineatix --import FILE [FILE2] [--save OUT.cod]";
    QTest::newRow("three files") << QStringList{"--import", "IN", "IN", "IN"} << 1
                                 << "Usage: lineatix --import FILE [FILE2] [--save OUT.cod]";
    QTest::newRow("unknown option") << QStringList{"--import", "IN", "--zoom", "1"} << 1
                                    << "Usage: lineatix --import FILE [FILE2] [--save OUT.cod]";
    QTest::newRow("same file twice")
        << QStringList{"--import", "IN", "IN"} << 1
        << QString::fromUtf8("good.csv est choisi deux fois : choisir les deux fichiers "
                             "d'un même enregistrement.");
    QTest::newRow("bad file") << QStringList{"--import", "BAD"} << 1
                              << "bad.csv : Ligne 3 : les temps ne croissent pas.";
    QTest::newRow("a folder") << QStringList{"--import", "DIR"} << 1
                              << "ce n'est pas un fichier ordinaire.";
    QTest::newRow("unwritable output")
        << QStringList{"--import", "IN", "--save", "DIR/none/out.cod"} << 1 << "";
}

void TestBatchImport::failures() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString good = Write(dir, "good.csv", "t,U\n0,1\n1,2\n");
    const QString bad = Write(dir, "bad.csv", "t,U\n0,1\n0,2\n");
    for (QString& argument : arguments) {
        if (argument == QLatin1String("IN")) argument = good;
        if (argument == QLatin1String("BAD")) argument = bad;
        argument.replace(QStringLiteral("DIR"), dir.path());
    }
    const ProcessResult run = RunLineatix(arguments);
    QCOMPARE(run.exitCode, status);
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
    QVERIFY(!QString::fromUtf8(run.err).trimmed().isEmpty());
}

// The lab runs fr_FR.UTF-8: the import prints and stores the same numbers.
void TestBatchImport::sameUnderFrenchLocale() {
    QTemporaryDir dir;
    const ProcessResult made =
        RunProgram(QStringLiteral("localedef"),
                   {QStringLiteral("-i"), QStringLiteral("fr_FR"), QStringLiteral("-f"),
                    QStringLiteral("UTF-8"), dir.filePath(QStringLiteral("fr_FR.UTF-8"))});
    if (made.exitCode != 0) QSKIP("no French locale can be made here (locales package)");
    const QString csv = Write(dir, "scan.csv", Keysight(Scan()));
    QByteArray outputs[2];
    QByteArray cods[2];
    for (int french = 0; french < 2; ++french) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LOCPATH"), dir.path());
        environment.insert(QStringLiteral("LC_ALL"),
                           french ? QStringLiteral("fr_FR.UTF-8") : QStringLiteral("C.UTF-8"));
        process.setProcessEnvironment(environment);
        const QString cod = dir.filePath(QStringLiteral("out%1.cod").arg(french));
        process.start(qEnvironmentVariable("LINEATIX_EXE"),
                      {QStringLiteral("--import"), csv, QStringLiteral("--save"), cod});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        outputs[french] = process.readAllStandardOutput();
        cods[french] = ReadFileBytes(cod);
    }
    QCOMPARE(outputs[1], outputs[0]);
    QVERIFY(outputs[1].contains("pas de temps du fichier 2e-006 s"));
    QVERIFY(!cods[0].isEmpty());
    QCOMPARE(cods[1], cods[0]);
}

QTEST_GUILESS_MAIN(TestBatchImport)
#include "tst_batchimport.moc"
