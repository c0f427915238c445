// The reader of oscilloscope CSV files: one small file of every layout, each
// written from the vendor's description of its format; the failures with
// their lines; thinning; cancel at a fixed line; a real sigrok-cli file; the
// numbers under a French numeric locale; a seeded mutation run.

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdlib>

#include "importer/scopecsv.h"
#include "importer/scopeimport.h"
#include "mutation.h"
#include "testsupport.h"

namespace {

struct Expected {
    QString layout;
    QStringList names;
    qint64 rows;
    // First and last kept sample of each channel: time, value.
    QList<double> first;
    QList<double> last;
};

// Tektronix TDS2000/TBS1000: eighteen records in columns 1-2 beside the
// first rows, time and value in columns 4-5, CR LF ends.
QByteArray TdsFile(const char* source, double volts, int rows = 20) {
    const char* records[][2] = {{"Record Length", "2.000000e+01"},
                                {"Sample Interval", "5.000000e-06"},
                                {"Trigger Point", "1.000000000000e+01"},
                                {"", ""},
                                {"", ""},
                                {"", ""},
                                {"Source", source},
                                {"Vertical Units", "V"},
                                {"Vertical Scale", "1.000000e+00"},
                                {"Vertical Offset", "0.000000e+00"},
                                {"Horizontal Units", "s"},
                                {"Horizontal Scale", "1.000000e-05"},
                                {"Pt Fmt", "Y"},
                                {"Yzero", "0.000000e+00"},
                                {"Probe Atten", "1.000000e+00"},
                                {"Model Number", "TDS2012B"},
                                {"Serial Number", "C012345"},
                                {"Firmware Version", "FV:v22.16"}};
    QByteArray text;
    for (int row = 0; row < rows; ++row) {
        const char* name = row < 18 ? records[row][0] : "";
        const char* value = row < 18 ? records[row][1] : "";
        text += QByteArray(name) + ',' + value + ",," +
                QByteArray::number(-5e-5 + row * 5e-6, 'f', 12) + ',' +
                QByteArray::number(volts + row * 0.04, 'f', 5) + ",\r\n";
    }
    return text;
}

const char kRigol[] = "X,CH1,CH2,Start,Increment,\n"
                      "Sequence,Volt,Volt,-1.000000e-03,2.000000e-06\n"
                      "0,1.20e-01,4.00e-02,\n"
                      "1,1.60e-01,4.00e-02,\n"
                      "2,3.60e+00,8.00e-02,\n"
                      "3,3.68e+00,1.20e-01,\n";

const char kKeysight[] = "x-axis,1,2\n"
                         "second,Volt,Volt\n"
                         "-1.0000000E-04,8.04020E-02,3.21608E-02\n"
                         "-9.9000000E-05,8.04020E-02,3.21608E-02\n"
                         "-9.8000000E-05,3.61809E+00,4.02010E-02\n";

const char kMso[] = "Model,MSO4104\n"
                    "Firmware Version,2.48\n"
                    ",\n"
                    "Waveform Type,ANALOG\n"
                    "Point Format,Y\n"
                    "Horizontal Units,s\n"
                    "Horizontal Scale,4e-05\n"
                    "Horizontal Delay,0\n"
                    "Sample Interval,4e-08\n"
                    "Record Length,3\n"
                    "Gating,0.0% to 100.0%\n"
                    ",\n"
                    "Probe Attenuation,10\n"
                    "Vertical Units,V\n"
                    "Vertical Offset,0\n"
                    "Vertical Scale,1\n"
                    "Vertical Position,0\n"
                    ",\n"
                    "Label,\n"
                    "TIME,CH1,CH2\n"
                    "-8.0000000e-08,0.04,0.08\n"
                    "-4.0000000e-08,0.12,0.08\n"
                    "0.0000000e+00,3.6,0.16\n";

const char kSiglentPlus[] = "Record Length,Analog:3,\n"
                            "Sample Interval,Analog:1.000000E-06,\n"
                            "Vertical Units,CH1:V,CH2:V\n"
                            "Vertical Scale,CH1:1.00E+00,CH2:5.00E-01\n"
                            "Vertical Offset,CH1:0.00E+00,CH2:0.00E+00\n"
                            "Horizontal Units,s\n"
                            "Horizontal Scale,1.00E-05\n"
                            "Model Number,SDS2104X Plus\n"
                            "Serial Number,SDS2PEAX000000\n"
                            "Software Version,1.3.7R5\n"
                            "Second,Volt,Volt\n"
                            "-2.000000E-06,4.000000E-01,1.000000E-01\n"
                            "-1.000000E-06,4.000000E-01,1.500000E-01\n"
                            "0.000000E+00,3.600000E+00,2.000000E-01\n";

const char kSiglentE[] = "Record Length,3.000000E+00\n"
                         "Sample Rate,1.000000E+06\n"
                         "Vertical Units,V\n"
                         "Vertical Scale,5.000000E-01\n"
                         "Vertical Offset,0.000000E+00\n"
                         "Horizontal Units,S\n"
                         "Horizontal Scale,5.000000E-06\n"
                         "Model Number,SDS1202X-E\n"
                         "Serial Number,SDSMMEBX000000\n"
                         "Software Version,6.1.37R8\n"
                         "Source,CH2\n"
                         "Second,Value\n"
                         "-2.000000E-06,4.00E-01\n"
                         "-1.000000E-06,4.40E-01\n"
                         "0.000000E+00,3.60E+00\n";

// sigrok-cli 0.7.2 without a time column: the value lines of its analog
// output and a frame end among the rows.
const char kSigrok[] = "; CSV generated by libsigrok 0.5.2\n"
                       "; from Demo driver and pattern generator on Thu Dec 10 15:44:57 2026\n"
                       "; Channels (2/13): A0, A1\n"
                       "; Samplerate: 200 kHz\n"
                       "A0: -10.0000 V DC\n"
                       "A1: 0.0 mV DC\n"
                       "V DC,V DC\n"
                       "-10,0\n"
                       "-10,3.09017\n"
                       "\n"
                       "FRAME-END\n"
                       "V DC,V DC\n"
                       "10,5.87785\n";

// With its time column: microseconds counted from one period in.
const char kSigrokTime[] = "; CSV generated by libsigrok 0.5.2\n"
                           "; Channels (1/13): A0\n"
                           "; Samplerate: 200 kHz\n"
                           "A0: -10.0000 V DC\n"
                           "microseconds,mV DC\n"
                           "5,-100\n"
                           "10,-100\n"
                           "15,250\n";

// Labelled with the channel names: the time column says no unit, and its
// counts are whole units truncated from the period (here 3 MHz in
// nanoseconds: 333), so the times come from the sample rate.
const char kSigrokNamedTime[] = "; CSV generated by libsigrok 0.5.2\n"
                                "; Channels (2/13): A0, A1\n"
                                "; Samplerate: 3 MHz\n"
                                "A0: -10.0000 V DC\n"
                                "Time,A0,A1\n"
                                "333,-10,0\n"
                                "666,-10,3.09017\n"
                                "999,10,5.87785\n";

// A French spreadsheet: ";" between cells, decimal commas, units in the header.
const char kGenericFrench[] = "Temps (ms);Tension (mV)\r\n"
                              "0,5;120\r\n"
                              "1,0;250,5\r\n"
                              "1,5;-12,25\r\n";

const char kGenericTab[] = "t [us]\tCH1 [V]\tCH2 [V]\n"
                           "1\t0.5\t0.25\n"
                           "2\t0.75\t0.5\n";

const char kGenericNs[] = "time(ns),ch1(V)\n"
                          "100,1e-1\n"
                          "200,+2.5E-1\n";

// The program's export: title, header, then all 5000 rows, "?" where the
// table holds nothing.
QByteArray OwnExport() {
    QByteArray text = "CODE BARRES EAN13\r\nCH1:t(s)\tCH1:U(V)\tCH2:t(s)\tCH2:U(V)\t\r\n"
                      "1.00000000e-003\t2.50000000e+000\t1.00000000e-003\t-1.00000000e+000\t\r\n"
                      "2.00000000e-003\t3.50000000e+000\t2.00000000e-003\t-2.00000000e+000\t\r\n";
    for (int row = 2; row < 5000; ++row)
        text += "?\t ?\t?\t ?\t\r\n";
    return text;
}

ScopeReadStatus ReadBytes(const QByteArray& bytes, ScopeRecord* record, QString* error,
                          const ScopeReadOptions& options = ScopeReadOptions()) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadScopeCsv(buffer, options, record, error);
}

bool Near(double a, double b) {
    return std::abs(a - b) <= 1e-6 * std::max(std::abs(a), std::abs(b)) + 1e-12;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
    return path;
}

// Generic rows: t = row x 1 ms, value = row / 1000 V.
QByteArray GenericRows(int rows) {
    QByteArray text = "t(s),U(V)\n";
    for (int row = 0; row < rows; ++row)
        text += QByteArray::number(row * 1e-3, 'g', 12) + ',' +
                QByteArray::number(row / 1000.0, 'g', 12) + '\n';
    return text;
}

} // namespace

class TestScopeCsv : public QObject {
    Q_OBJECT
  private slots:
    void layouts_data();
    void layouts();
    void layoutsUnderFrenchLocale();
    void errors_data();
    void errors();
    void notARegularFile();
    void thinsEvenly();
    void cancelAtAFixedLine_data();
    void cancelAtAFixedLine();
    void realSigrokFile_data();
    void realSigrokFile();
    void twoFilesOfOneSave();
    void twoFilesThatDisagree_data();
    void twoFilesThatDisagree();
    void importMessage_data();
    void importMessage();
    void mutations();
};

void TestScopeCsv::layouts_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<qint64>("rows");
    QTest::addColumn<QList<double>>("first"); // t, v of each channel
    QTest::addColumn<QList<double>>("last");
    QTest::newRow("Rigol") << QByteArray(kRigol) << "Rigol DS1000Z" << QStringList{"CH1", "CH2"}
                           << qint64(4) << QList<double>{-1e-3, 0.12, -1e-3, 0.04}
                           << QList<double>{-0.994e-3, 3.68, -0.994e-3, 0.12};
    QTest::newRow("Tektronix TDS2000")
        << TdsFile("CH1", 0.08) << "Tektronix TDS2000/TBS1000" << QStringList{"CH1"} << qint64(20)
        << QList<double>{-5e-5, 0.08} << QList<double>{-5e-5 + 19 * 5e-6, 0.08 + 19 * 0.04};
    QTest::newRow("Keysight") << QByteArray(kKeysight) << "Keysight InfiniiVision"
                              << QStringList{"CH1", "CH2"} << qint64(3)
                              << QList<double>{-1e-4, 0.080402, -1e-4, 0.0321608}
                              << QList<double>{-9.8e-5, 3.61809, -9.8e-5, 0.040201};
    QTest::newRow("Tektronix MSO")
        << QByteArray(kMso) << "Tektronix MSO/DPO" << QStringList{"CH1", "CH2"} << qint64(3)
        << QList<double>{-8e-8, 0.04, -8e-8, 0.08} << QList<double>{0, 3.6, 0, 0.16};
    QTest::newRow("Siglent SDS2000X Plus")
        << QByteArray(kSiglentPlus) << "Siglent SDS2000X Plus" << QStringList{"CH1", "CH2"}
        << qint64(3) << QList<double>{-2e-6, 0.4, -2e-6, 0.1} << QList<double>{0, 3.6, 0, 0.2};
    QTest::newRow("Siglent SDS1000X-E")
        << QByteArray(kSiglentE) << "Siglent SDS1000X-E" << QStringList{"CH2"} << qint64(3)
        << QList<double>{-2e-6, 0.4} << QList<double>{0, 3.6};
    QTest::newRow("sigrok 0.7.2") << QByteArray(kSigrok) << "sigrok-cli/PulseView"
                                  << QStringList{"A0", "A1"} << qint64(3)
                                  << QList<double>{5e-6, -10, 5e-6, 0}
                                  << QList<double>{15e-6, 10, 15e-6, 5.87785};
    QTest::newRow("sigrok time column")
        << QByteArray(kSigrokTime) << "sigrok-cli/PulseView" << QStringList{"A0"} << qint64(3)
        << QList<double>{5e-6, -0.1} << QList<double>{15e-6, 0.25};
    QTest::newRow("sigrok time column, channel names")
        << QByteArray(kSigrokNamedTime) << "sigrok-cli/PulseView" << QStringList{"A0", "A1"}
        << qint64(3) << QList<double>{1 / 3e6, -10, 1 / 3e6, 0}
        << QList<double>{3 / 3e6, 10, 3 / 3e6, 5.87785};
    QTest::newRow("sigrok time column, units, 3 MHz")
        << QByteArray(kSigrokNamedTime).replace("Time,A0,A1", "nanoseconds,V DC,V DC")
        << "sigrok-cli/PulseView" << QStringList{"A0", "A1"} << qint64(3)
        << QList<double>{1 / 3e6, -10, 1 / 3e6, 0} << QList<double>{3 / 3e6, 10, 3 / 3e6, 5.87785};
    QTest::newRow("sigrok time column without rate")
        << QByteArray(kSigrokTime).replace("; Samplerate: 200 kHz\n", "") << "sigrok-cli/PulseView"
        << QStringList{"A0"} << qint64(3) << QList<double>{5e-6, -0.1}
        << QList<double>{15e-6, 0.25};
    QTest::newRow("French spreadsheet")
        << QByteArray(kGenericFrench) << QString::fromUtf8("CSV générique")
        << QStringList{"Tension"} << qint64(3) << QList<double>{0.5e-3, 0.12}
        << QList<double>{1.5e-3, -0.01225};
    QTest::newRow("tabs, microseconds")
        << QByteArray(kGenericTab) << QString::fromUtf8("CSV générique")
        << QStringList{"CH1", "CH2"} << qint64(2) << QList<double>{1e-6, 0.5, 1e-6, 0.25}
        << QList<double>{2e-6, 0.75, 2e-6, 0.5};
    QTest::newRow("nanoseconds") << QByteArray(kGenericNs) << QString::fromUtf8("CSV générique")
                                 << QStringList{"ch1"} << qint64(2) << QList<double>{1e-7, 0.1}
                                 << QList<double>{2e-7, 0.25};
    QTest::newRow("own export") << OwnExport() << "Export Lineatix (CODE BARRES EAN13)"
                                << QStringList{"CH1", "CH2"} << qint64(2)
                                << QList<double>{1e-3, 2.5, 1e-3, -1}
                                << QList<double>{2e-3, 3.5, 2e-3, -2};
}

void TestScopeCsv::layouts() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, layout);
    QFETCH(QStringList, names);
    QFETCH(qint64, rows);
    QFETCH(QList<double>, first);
    QFETCH(QList<double>, last);
    ScopeRecord record;
    QString error;
    QCOMPARE(ReadBytes(bytes, &record, &error), ScopeReadStatus::Read);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(record.layout, layout);
    QCOMPARE(record.fileRows, rows);
    QStringList read;
    for (const ScopeTrace& trace : record.channels)
        read << trace.name;
    QCOMPARE(read, names);
    for (int k = 0; k < int(record.channels.size()); ++k) {
        const ScopeTrace& trace = record.channels[size_t(k)];
        QCOMPARE(qint64(trace.time.size()), rows);
        QVERIFY2(Near(trace.time.front(), first[2 * k]),
                 qPrintable(QString::number(trace.time.front())));
        QVERIFY2(Near(trace.value.front(), first[2 * k + 1]),
                 qPrintable(QString::number(trace.value.front())));
        QVERIFY2(Near(trace.time.back(), last[2 * k]),
                 qPrintable(QString::number(trace.time.back())));
        QVERIFY2(Near(trace.value.back(), last[2 * k + 1]),
                 qPrintable(QString::number(trace.value.back())));
    }
    QVERIFY(!record.Thinned());
    QVERIFY(Near(record.timeStep, (last[0] - first[0]) / double(rows - 1)));
}

// The lab's PCs run fr_FR: the C library's numbers take decimal commas there,
// the reader's must not.
void TestScopeCsv::layoutsUnderFrenchLocale() {
    QTemporaryDir dir;
    const ProcessResult made =
        RunProgram(QStringLiteral("localedef"),
                   {QStringLiteral("-i"), QStringLiteral("fr_FR"), QStringLiteral("-f"),
                    QStringLiteral("UTF-8"), dir.filePath(QStringLiteral("fr_FR.UTF-8"))});
    qputenv("LOCPATH", dir.path().toLocal8Bit());
    const char* set = made.exitCode == 0 ? std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") : nullptr;
    if (!set) QSKIP("no French locale can be made here (localedef from the locales package)");
    QVERIFY(QByteArray::number(std::strtod("1,5", nullptr)) == "1.5"); // the locale is in force
    ScopeRecord record;
    QString error;
    QCOMPARE(ReadBytes(QByteArray(kRigol), &record, &error), ScopeReadStatus::Read);
    QVERIFY(Near(record.channels[0].value[2], 3.6));
    QVERIFY(Near(record.channels[0].time[1], -0.998e-3));
    QCOMPARE(ReadBytes(QByteArray(kGenericFrench), &record, &error), ScopeReadStatus::Read);
    QVERIFY(Near(record.channels[0].value[1], 0.2505));
    QCOMPARE(ReadBytes(QByteArray(kKeysight), &record, &error), ScopeReadStatus::Read);
    QVERIFY(Near(record.channels[1].value[0], 0.0321608));
    std::setlocale(LC_NUMERIC, "C");
}

void TestScopeCsv::errors_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("binary") << QByteArray("\x01\x02\x03PK\x04\x05", 8)
                            << QString::fromUtf8("Ligne 1 : format de fichier non reconnu");
    QTest::newRow("one column") << QByteArray("\n\nbonjour\nmonde\n")
                                << QString::fromUtf8("Ligne 3 : format de fichier non reconnu");
    QTest::newRow("empty") << QByteArray()
                           << QString::fromUtf8("Ligne 1 : format de fichier non reconnu");
    QTest::newRow("header only") << QByteArray("t(s),U(V)\n")
                                 << QString::fromUtf8("Ligne 1 : aucune ligne de mesures");
    QTest::newRow("Keysight without rows")
        << QByteArray("x-axis,1\nsecond,Volt\n")
        << QString::fromUtf8("Ligne 2 : aucune ligne de mesures");
    QTest::newRow("missing value") << QByteArray("t,U\n0,1\n1,\n")
                                   << QString::fromUtf8("Ligne 3 : valeur manquante (colonne 2)");
    QTest::newRow("missing column") << QByteArray("t,U,V\n0,1,2\n1,2\n")
                                    << QString::fromUtf8("Ligne 3 : valeur manquante (colonne 3)");
    QTest::newRow("infinite") << QByteArray("t,U\n0,1\n1,inf\n")
                              << QString::fromUtf8("Ligne 3 : valeur non finie (colonne 2)");
    QTest::newRow("not a number") << QByteArray("t,U\n0,1\n1,nan\n")
                                  << QString::fromUtf8("Ligne 3 : valeur non finie (colonne 2)");
    QTest::newRow("beyond a float") << QByteArray("t,U\n0,1\n1,1e39\n")
                                    << QString::fromUtf8("Ligne 3 : valeur non finie (colonne 2)");
    QTest::newRow("beyond a double") << QByteArray("t,U\n0,1e999\n")
                                     << QString::fromUtf8("Ligne 2 : valeur non finie (colonne 2)");
    QTest::newRow("words") << QByteArray("t,U\n0,1\n1,deux\n")
                           << QString::fromUtf8("Ligne 3 : valeur illisible (colonne 2)");
    QTest::newRow("times standing still")
        << QByteArray("t,U\n0,1\n1,1\n1,2\n")
        << QString::fromUtf8("Ligne 4 : les temps ne croissent pas");
    QTest::newRow("times going back")
        << TdsFile("CH1", 0).replace("-0.000040000000", "-0.000060000000")
        << QString::fromUtf8("Ligne 3 : les temps ne croissent pas");
    QTest::newRow("Rigol index repeated")
        << QByteArray(kRigol).replace("\n2,", "\n1,")
        << QString::fromUtf8("Ligne 5 : les temps ne croissent pas");
    QTest::newRow("Rigol without increment")
        << QByteArray(kRigol).replace("2.000000e-06", "")
        << QString::fromUtf8("Ligne 2 : début ou incrément de temps illisible");
    QTest::newRow("own export with a word")
        << OwnExport().replace("3.50000000e+000", "trois")
        << QString::fromUtf8("Ligne 4 : valeur illisible (colonne 2)");
    QTest::newRow("sigrok without rate or time")
        << QByteArray("; CSV generated by libsigrok 0.5.2\nV DC\n1\n2\n")
        << QString::fromUtf8("Ligne 2 : ni colonne de temps ni fréquence");
    QTest::newRow("sigrok unnamed time column without rate")
        << QByteArray("; CSV generated by libsigrok 0.5.2\n; Channels (1/13): A0\nTime,A0\n5,1\n")
        << QString::fromUtf8("Ligne 3 : colonne de temps sans unité et pas de fréquence");
    QTest::newRow("endless line") << QByteArray("t,U\n0,1\n") + QByteArray(70000, '1')
                                  << QString::fromUtf8("Ligne 3 : ligne trop longue");
}

void TestScopeCsv::errors() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    ScopeRecord record;
    record.layout = QStringLiteral("avant");
    QString error;
    QCOMPARE(ReadBytes(bytes, &record, &error), ScopeReadStatus::Failed);
    QVERIFY2(error.startsWith(message), qPrintable(error));
    QCOMPARE(record.layout, QStringLiteral("avant")); // left as it was
}

void TestScopeCsv::notARegularFile() {
    QTemporaryDir dir;
    ScopeRecord record;
    QString error;
    for (const QString& path : {dir.path(), QStringLiteral("/dev/null")}) {
        QCOMPARE(ReadScopeCsvFile(path, ScopeReadOptions(), &record, &error),
                 ScopeReadStatus::Failed);
        QCOMPARE(error, path + QStringLiteral(" : ce n'est pas un fichier ordinaire."));
    }
    QCOMPARE(ReadScopeCsvFile(dir.filePath(QStringLiteral("absent.csv")), ScopeReadOptions(),
                              &record, &error),
             ScopeReadStatus::Failed);
    QVERIFY(error.endsWith(QStringLiteral("fichier introuvable.")));
    // A failure in a file is named with the file.
    const QString bad = WriteFile(dir, QStringLiteral("mesure.csv"), "t,U\n0,x\n");
    QCOMPARE(ReadScopeCsvFile(bad, ScopeReadOptions(), &record, &error), ScopeReadStatus::Failed);
    QCOMPARE(error, QStringLiteral("mesure.csv : Ligne 2 : valeur illisible (colonne 2)."));
}

// 12345 rows into 5000: row k x 12345 / 5000 kept, the first and the
// spacing exact, the step taken over the whole file.
void TestScopeCsv::thinsEvenly() {
    const int rows = 12345;
    ScopeRecord record;
    QString error;
    QList<int> permilles;
    ScopeReadOptions options;
    options.chunkLines = 1000;
    options.progress = [&](int permille) { permilles << permille; };
    QCOMPARE(ReadBytes(GenericRows(rows), &record, &error, options), ScopeReadStatus::Read);
    QCOMPARE(record.fileRows, qint64(rows));
    QVERIFY(record.Thinned());
    const ScopeTrace& trace = record.channels[0];
    QCOMPARE(int(trace.time.size()), 5000);
    for (int k : {0, 1, 2, 2499, 4999}) {
        const qint64 row = qint64(k) * rows / 5000;
        QVERIFY2(Near(trace.time[size_t(k)], row * 1e-3), qPrintable(QString::number(k)));
        QVERIFY(Near(trace.value[size_t(k)], row / 1000.0));
    }
    QVERIFY(Near(record.timeStep, 1e-3));
    // Progress only goes forward, and ends at the end.
    QVERIFY(permilles.size() > 10);
    QVERIFY(std::is_sorted(permilles.begin(), permilles.end()));
    QCOMPARE(permilles.last(), 1000);
}

void TestScopeCsv::cancelAtAFixedLine_data() {
    QTest::addColumn<qint64>("at");
    QTest::newRow("counting pass") << qint64(300);
    QTest::newRow("reading pass") << qint64(1300); // the file has 1001 lines
}

void TestScopeCsv::cancelAtAFixedLine() {
    QFETCH(qint64, at);
    ScopeRecord record;
    record.layout = QStringLiteral("avant");
    QString error;
    ScopeReadOptions options;
    options.chunkLines = 10;
    QList<qint64> asked;
    options.cancel = [&](qint64 lines) {
        asked << lines;
        return lines >= at;
    };
    QCOMPARE(ReadBytes(GenericRows(1000), &record, &error, options), ScopeReadStatus::Cancelled);
    QCOMPARE(asked.last(), at);
    QCOMPARE(record.layout, QStringLiteral("avant"));
    QVERIFY(record.channels.empty());
}

// A file sigrok-cli itself wrote from its demo device, with the lines its
// version 0.7.2 mixes into it, for each way of labelling the columns: units
// ("microseconds,V DC,V DC"), channel names ("Time,A0,A1": the time column's
// unit is not written) or none at all. With channel names that version aborts
// after writing the whole file, so its exit status is not looked at.
void TestScopeCsv::realSigrokFile_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("timeColumn");
    QTest::newRow("default") << "csv" << false;
    QTest::newRow("time") << "csv:time=true" << true;
    QTest::newRow("time, units") << "csv:time=true:label=units" << true;
    QTest::newRow("time, channel names") << "csv:time=true:label=channel" << true;
    QTest::newRow("channel names") << "csv:label=channel" << false;
    QTest::newRow("time, no labels") << "csv:time=true:label=off" << true;
    QTest::newRow("no time, no labels") << "csv:time=false:label=off" << false;
}

void TestScopeCsv::realSigrokFile() {
    QFETCH(QString, format);
    QFETCH(bool, timeColumn);
    if (QStandardPaths::findExecutable(QStringLiteral("sigrok-cli")).isEmpty())
        QSKIP("sigrok-cli is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.csv"));
    RunProgram(QStringLiteral("sigrok-cli"),
               {QStringLiteral("-d"), QStringLiteral("demo"), QStringLiteral("--channels"),
                QStringLiteral("A0,A1"), QStringLiteral("--samples"), QStringLiteral("2000"),
                QStringLiteral("-O"), format, QStringLiteral("-o"), path});
    // Its rows, counted apart: the lines of numbers only.
    const QList<QByteArray> lines = ReadFileBytes(path).split('\n');
    QList<QList<QByteArray>> rows;
    for (const QByteArray& line : lines)
        if (!line.isEmpty() && (std::isdigit(uchar(line[0])) || line[0] == '-'))
            rows << line.trimmed().split(',');
    QVERIFY(rows.size() > 100);
    const int column = timeColumn ? 1 : 0;
    QCOMPARE(rows[0].size(), column + 2);
    ScopeRecord record;
    QString error;
    QCOMPARE(ReadScopeCsvFile(path, ScopeReadOptions(), &record, &error), ScopeReadStatus::Read);
    QCOMPARE(record.layout, QStringLiteral("sigrok-cli/PulseView"));
    QCOMPARE(record.fileRows, qint64(rows.size()));
    QCOMPARE(int(record.channels.size()), 2);
    QCOMPARE(record.channels[0].name, QStringLiteral("A0"));
    QCOMPARE(record.channels[1].name, QStringLiteral("A1"));
    for (int row : {0, 1, int(rows.size()) - 1}) {
        const double time = (row + 1) * 5e-6; // 200 kHz, one period in
        QVERIFY(Near(record.channels[0].time[size_t(row)], time));
        if (timeColumn) QVERIFY(Near(rows[row][0].toDouble() * 1e-6, time)); // microseconds
        QVERIFY(Near(record.channels[0].value[size_t(row)], rows[row][column].toDouble()));
        QVERIFY(Near(record.channels[1].value[size_t(row)], rows[row][column + 1].toDouble()));
    }
    QVERIFY(Near(record.timeStep, 5e-6));
}

// Two Tektronix files of one save, chosen CH2 first: the files' own Source
// puts CH1 first.
void TestScopeCsv::twoFilesOfOneSave() {
    QTemporaryDir dir;
    const QString ch1 = WriteFile(dir, QStringLiteral("F0000CH1.CSV"), TdsFile("CH1", 0.5));
    const QString ch2 = WriteFile(dir, QStringLiteral("F0000CH2.CSV"), TdsFile("CH2", 2.0));
    ScopeImport result;
    QString error;
    QCOMPARE(ImportScopeFiles({ch2, ch1}, ScopeReadOptions(), &result, &error),
             ScopeReadStatus::Read);
    QCOMPARE(result.files, (QStringList{"F0000CH1.CSV", "F0000CH2.CSV"}));
    QCOMPARE(result.channelCount, 2);
    QCOMPARE(result.channels[0].name, QStringLiteral("CH1"));
    QVERIFY(Near(result.channels[0].value[0], 0.5));
    QVERIFY(Near(result.channels[1].value[0], 2.0));
    QCOMPARE(ScopeImportMessage(result),
             QString::fromUtf8("Format reconnu : Tektronix TDS2000/TBS1000\n"
                               "CH1 : CH1 (F0000CH1.CSV)\nCH2 : CH2 (F0000CH2.CSV)\n"
                               "20 points, pas de temps du fichier 5e-006 s\n"
                               "Enregistrement complet, non réduit."));
    // Without a Source, the order chosen.
    const QString a = WriteFile(dir, QStringLiteral("a.csv"), "t,U\n0,1\n1,2\n");
    const QString b = WriteFile(dir, QStringLiteral("b.csv"), "t,U\n0,3\n1,4\n");
    QCOMPARE(ImportScopeFiles({b, a}, ScopeReadOptions(), &result, &error), ScopeReadStatus::Read);
    QVERIFY(Near(result.channels[0].value[0], 3));
    QVERIFY(Near(result.channels[1].value[0], 1));
}

void TestScopeCsv::twoFilesThatDisagree_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second"); // none: the second path names the first file
    QTest::addColumn<QString>("secondName");
    QTest::addColumn<QString>("message");
    const QByteArray plain("t,U\n0,1\n1,2\n");
    QTest::newRow("lengths") << plain << QByteArray("t,U\n0,1\n1,2\n2,3\n") << "b.csv"
                             << QString::fromUtf8(
                                    "a.csv et b.csv n'ont pas le même nombre de points (2 et 3).");
    QTest::newRow("steps") << plain << QByteArray("t,U\n0,1\n2,2\n") << "b.csv"
                           << QString::fromUtf8(
                                  "a.csv et b.csv n'ont pas le même pas de temps (1 s et 2 s).");
    const QString twice = QString::fromUtf8(
        "a.csv est choisi deux fois : choisir les deux fichiers d'un même enregistrement.");
    QTest::newRow("same file") << plain << QByteArray() << "a.csv" << twice;
    QTest::newRow("same file, other spelling") << plain << QByteArray() << "./a.csv" << twice;
    QTest::newRow("same source")
        << TdsFile("CH1", 0.5) << TdsFile("CH1", 2.0) << "b.csv"
        << QString::fromUtf8("a.csv et b.csv enregistrent tous deux la même voie (CH1).");
}

void TestScopeCsv::twoFilesThatDisagree() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QString, secondName);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString a = WriteFile(dir, QStringLiteral("a.csv"), first);
    const QString b =
        second.isEmpty() ? dir.path() + '/' + secondName : WriteFile(dir, secondName, second);
    ScopeImport result;
    result.files = QStringList{QStringLiteral("avant")};
    QString error;
    QCOMPARE(ImportScopeFiles({a, b}, ScopeReadOptions(), &result, &error),
             ScopeReadStatus::Failed);
    QCOMPARE(error, message);
    QCOMPARE(result.files, QStringList{QStringLiteral("avant")});
    QCOMPARE(ImportScopeFiles({a, b, a}, ScopeReadOptions(), &result, &error),
             ScopeReadStatus::Failed);
}

// What the message tells: the file's own time step, thinned or not.
void TestScopeCsv::importMessage_data() {
    QTest::addColumn<int>("maxRows");
    QTest::addColumn<QString>("message");
    QTest::newRow("complete") << 5000
                              << QString::fromUtf8("Format reconnu : CSV générique\nCH1 : U\n"
                                                   "4 points, pas de temps du fichier 0.5 s\n"
                                                   "Enregistrement complet, non réduit.");
    QTest::newRow("thinned") << 2
                             << QString::fromUtf8("Format reconnu : CSV générique\nCH1 : U\n"
                                                  "2 points, pas de temps du fichier 0.5 s\n"
                                                  "Enregistrement réduit : 2 points gardés sur 4, "
                                                  "régulièrement espacés.");
}

void TestScopeCsv::importMessage() {
    QFETCH(int, maxRows);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = WriteFile(dir, QStringLiteral("u.csv"), "t,U\n0,1\n0.5,2\n1,3\n1.5,4\n");
    ScopeReadOptions options;
    options.maxRows = maxRows;
    ScopeImport result;
    QString error;
    QCOMPARE(ImportScopeFiles({path}, options, &result, &error), ScopeReadStatus::Read);
    QCOMPARE(ScopeImportMessage(result), message);
}

// Every layout cut, spliced and corrupted: a result or a message, never a
// crash, a hang or a read out of bounds (run under the sanitizers).
void TestScopeCsv::mutations() {
    const QList<QByteArray> inputs = {
        QByteArray(kRigol),         TdsFile("CH1", 0.1),      QByteArray(kKeysight),
        QByteArray(kMso),           QByteArray(kSiglentPlus), QByteArray(kSiglentE),
        QByteArray(kSigrok),        QByteArray(kSigrokTime),  QByteArray(kSigrokNamedTime),
        QByteArray(kGenericFrench), QByteArray(kGenericTab),  QByteArray(kGenericNs),
        OwnExport().left(400)};
    QRandomGenerator random(20261210);
    int read = 0;
    for (int run = 0; run < 3000; ++run) {
        const QByteArray bytes = Mutate(random, inputs[run % inputs.size()]);
        ScopeRecord record;
        QString error;
        ScopeReadOptions options;
        options.maxRows = 1 + run % 7;
        options.chunkLines = 1 + run % 5;
        const ScopeReadStatus status = ReadBytes(bytes, &record, &error, options);
        if (status == ScopeReadStatus::Read) {
            ++read;
            QVERIFY(!record.channels.empty());
            for (const ScopeTrace& trace : record.channels) {
                QVERIFY(trace.time.size() <= size_t(options.maxRows));
                QCOMPARE(trace.time.size(), trace.value.size());
                for (size_t i = 0; i < trace.time.size(); ++i)
                    QVERIFY(std::isfinite(trace.time[i]) && std::isfinite(trace.value[i]));
            }
        } else {
            QVERIFY(!error.isEmpty());
        }
    }
    QVERIFY(read > 100); // the mutations do not all break the files
}

QTEST_GUILESS_MAIN(TestScopeCsv)
#include "tst_scopecsv.moc"
