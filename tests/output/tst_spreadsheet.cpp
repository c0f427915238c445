// The spreadsheet export: its text, checked byte for byte and read back by an
// independent parser (readspreadsheet.py), its failures and its batch command.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "common/novalue.h"
#include "doc/zbdoc.h"
#include "frenchlocale.h"
#include "output/spreadsheet.h"
#include "testsupport.h"

namespace {

QList<QByteArray> Lines(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// CH1 in columns 0-1 and CH2 in 2-3 over the first rows; edges in 4-5.
void FillTwoChannels(CZbDoc& doc, int rows) {
    doc.ClearSamples();
    for (int row = 0; row < rows; ++row) {
        doc.m_fT[row][0] = row * 1e-3f;
        doc.m_fT[row][1] = 2.5f - row;
        doc.m_fT[row][2] = -row * 3.25e-7f;
        doc.m_fT[row][3] = row * 100.0f;
    }
    doc.m_nPoints = static_cast<std::int16_t>(rows);
    doc.m_nChannels = kChannelCh1 | kChannelCh2;
    doc.m_nDisplay = kChannelCh1 | kChannelCh2;
}

QString Write(const QTemporaryDir& dir, const CZbDoc& doc, const char* name) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    return WriteSpreadsheet(doc, path, true) ? path : QString();
}

// Keeps the size limit of files this process writes for one scope.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN); // a short write, not a signal
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestSpreadsheet : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    // Display 3: title, header of both channels, then all 5000 rows; the
    // rows past the samples hold "?" in every cell.
    void twoChannelsReadBackByASpreadsheetParser() {
        QTemporaryDir dir;
        CZbDoc doc(nullptr);
        FillTwoChannels(doc, 3);
        const QString path = Write(dir, doc, "deux voies.txt");
        QVERIFY(!path.isEmpty());

        const QByteArray bytes = ReadFileBytes(path);
        const QList<QByteArray> lines = Lines(bytes);
        QCOMPARE(lines.size(), 5002);
        QCOMPARE(lines[0], QByteArray("CODE BARRES EAN13\r"));
        QCOMPARE(lines[1], QByteArray("CH1:t(s)\tCH1:U(V)\tCH2:t(s)\tCH2:U(V)\t\r"));
        QCOMPARE(lines[2], QByteArray("0.00000000e+000\t2.50000000e+000\t"
                                      "0.00000000e+000\t0.00000000e+000\t\r"));
        // Floats widened to double: 1e-3f is 1.00000005e-3.
        QCOMPARE(lines[3], QByteArray("1.00000005e-003\t1.50000000e+000\t"
                                      "-3.25000002e-007\t1.00000000e+002\t\r"));
        QCOMPARE(lines[5], QByteArray("?\t ?\t?\t ?\t\r"));
        QCOMPARE(lines.last(), QByteArray("?\t ?\t?\t ?\t\r"));
        for (const QByteArray& line : lines.mid(2))
            QVERIFY2(line.endsWith("\t\r"), line.constData());

        const QString script = qEnvironmentVariable("LINEATIX_SOURCE_DIR") +
                               QStringLiteral("/tests/output/readspreadsheet.py");
        const ProcessResult parsed = RunProgram(QStringLiteral("python3"), {script, path});
        QVERIFY2(parsed.exitCode == 0, parsed.err.constData());
        const QJsonObject sheet = QJsonDocument::fromJson(parsed.out).object();
        QCOMPARE(sheet.value("title").toString(), QStringLiteral("CODE BARRES EAN13"));
        QCOMPARE(sheet.value("header").toArray().size(), 4);
        const QJsonArray rows = sheet.value("rows").toArray();
        QCOMPARE(rows.size(), 5000);
        for (int row = 0; row < 5000; ++row) {
            const QJsonArray cells = rows.at(row).toArray();
            QCOMPARE(cells.size(), 4);
            for (int column = 0; column < 4; ++column) {
                const float stored = doc.m_fT[row][column];
                if (IsNoValue(stored))
                    QVERIFY(cells.at(column).isNull());
                else // nine significant digits give every float back
                    QCOMPARE(float(cells.at(column).toDouble()), stored);
            }
        }
    }

    void columnsOfTheDisplayBits_data() {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("display");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("firstRow");
        // Row 0 holds 1, 2 in columns 0-1, 3, 4 in 2-3 and 5, 6 in 4-5.
        QTest::newRow("edges from columns 4-5, blank heading")
            << 1 << 64 << QByteArray(" \t \t") << QByteArray("5.00000000e+000\t6.00000000e+000\t");
        QTest::newRow("logic level: its heading on every row")
            << 1 << (1 | 128) << QByteArray("CH1:t(s)\tCH1:U(V)\t \t \t")
            << QByteArray("1.00000000e+000\t2.00000000e+000\t \t \t");
        QTest::newRow("second stored channel from columns 2-3")
            << 3 << 2 << QByteArray("CH2:t(s)\tCH2:U(V)\t")
            << QByteArray("3.00000000e+000\t4.00000000e+000\t");
        QTest::newRow("MATH alone takes columns 0-1")
            << 16 << 16 << QByteArray("MATH:t(s)\tMATH\t")
            << QByteArray("1.00000000e+000\t2.00000000e+000\t");
        QTest::newRow("REF1 after CH1, then the edges")
            << 5 << (4 | 64) << QByteArray("REF1:t(s)\tREF1:U(V)\t \t \t")
            << QByteArray("3.00000000e+000\t4.00000000e+000\t5.00000000e+000\t6.00000000e+000\t");
        QTest::newRow("REF2 and the image bit, in bit order")
            << 8 << (8 | 32) << QByteArray("REF2:t(s)\tREF2:U(V)\t \t \t")
            << QByteArray("1.00000000e+000\t2.00000000e+000\t5.00000000e+000\t6.00000000e+000\t");
    }
    void columnsOfTheDisplayBits() {
        QFETCH(int, channels);
        QFETCH(int, display);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, firstRow);
        CZbDoc doc(nullptr);
        for (int column = 0; column < CZbDoc::kColumns; ++column)
            doc.m_fT[0][column] = float(column + 1);
        doc.m_nPoints = 1;
        doc.m_nChannels = static_cast<std::int16_t>(channels);
        doc.m_nDisplay = static_cast<std::int16_t>(display);
        const QList<QByteArray> lines = Lines(SpreadsheetText(doc, true));
        QCOMPARE(lines.size(), 5002);
        QCOMPARE(lines[1], header + '\r');
        QCOMPARE(lines[2], firstRow + '\r');
    }

    // Exactly 1e10 is "no value", in either cell or both; a neighbour of it is
    // a number.
    void missingValues_data() {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<QByteArray>("cells");
        QTest::newRow("both") << kNoValue << kNoValue << QByteArray("?\t ?\t");
        QTest::newRow("x only") << kNoValue << 0.0009765625f << QByteArray("?\t9.76562500e-004\t");
        QTest::newRow("y only") << 2.5f << kNoValue << QByteArray("2.50000000e+000\t?\t");
        QTest::newRow("just below 1e10") << std::nextafter(kNoValue, 0.0f) << -1.0f
                                         << QByteArray("9.99999898e+009\t-1.00000000e+000\t");
    }
    void missingValues() {
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(QByteArray, cells);
        CZbDoc doc(nullptr);
        doc.m_fT[0][0] = x;
        doc.m_fT[0][1] = y;
        doc.m_nPoints = 1;
        doc.m_nDisplay = kChannelCh1;
        QCOMPARE(Lines(SpreadsheetText(doc, true)).at(2), cells + '\r');
    }

    void withoutHeaderOnlyRows() {
        CZbDoc doc(nullptr);
        FillTwoChannels(doc, 1);
        doc.m_nDisplay = kChannelCh1 | kChannelLogic;
        const QList<QByteArray> lines = Lines(SpreadsheetText(doc, false));
        QCOMPARE(lines.size(), 5000);
        // The logic level's column is only its heading, which is not written.
        QCOMPARE(lines[0], QByteArray("0.00000000e+000\t2.50000000e+000\t\r"));
    }

    // A write cut short (here by the file-size limit) leaves the file that was
    // there, and no temporary beside it.
    void failedWriteKeepsTheOlderFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ancien.txt"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("ancien contenu\r\n");
        }
        CZbDoc doc(nullptr);
        FillTwoChannels(doc, 5000);
        bool written = true;
        {
            FileSizeLimit limit(64 * 1024);
            written = WriteSpreadsheet(doc, path, true);
        }
        QVERIFY(!written);
        QCOMPARE(ReadFileBytes(path), QByteArray("ancien contenu\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("ancien.txt")});

        QVERIFY(!WriteSpreadsheet(doc, dir.filePath(QStringLiteral("absent/x.txt")), true));
        QVERIFY(WriteSpreadsheet(doc, path, true)); // without the limit it goes through
        QCOMPARE(ReadFileBytes(path), SpreadsheetText(doc, true));
    }

    void readOnlyFileIsNotReplaced() {
        if (geteuid() == 0) QSKIP("root may write any file");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("protege.txt"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("garde");
        }
        QFile::setPermissions(path, QFile::ReadOwner);
        CZbDoc doc(nullptr);
        FillTwoChannels(doc, 2);
        QVERIFY(!WriteSpreadsheet(doc, path, true));
        QCOMPARE(ReadFileBytes(path), QByteArray("garde"));
    }

    void batchCommand() {
        QTemporaryDir dir;
        CZbDoc doc(nullptr);
        FillTwoChannels(doc, 40);
        doc.m_nDisplay = kChannelCh2 | kChannelEdges;
        const QString in = dir.filePath(QStringLiteral("scan.cod"));
        QString error;
        QVERIFY2(doc.Save(in, &error), qPrintable(error));
        const QString out = dir.filePath(QStringLiteral("scan.txt"));
        ProcessResult result = RunLineatix({QStringLiteral("--export-txt"), out, in});
        QCOMPARE(result.err, QByteArray());
        QCOMPARE(result.exitCode, 0);
        CZbDoc loaded(nullptr);
        QVERIFY(loaded.Load(in, &error));
        QCOMPARE(ReadFileBytes(out), SpreadsheetText(loaded, true));
        QCOMPARE(Lines(ReadFileBytes(out)).at(1), QByteArray("CH2:t(s)\tCH2:U(V)\t \t \t\r"));

        // Not writable, no graph, no input, wrong arguments: status 1 and a message.
        result = RunLineatix(
            {QStringLiteral("--export-txt"), dir.filePath(QStringLiteral("absent/scan.txt")), in});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(QString::fromLocal8Bit(result.err)
                    .contains(QStringLiteral("Erreur d'ouverture du fichier en mode création !")));
        doc.m_nDisplay = 0;
        QVERIFY(doc.Save(in, &error));
        result = RunLineatix({QStringLiteral("--export-txt"), out, in});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(QString::fromLocal8Bit(result.err).contains(QStringLiteral("aucun graphe")));
        result = RunLineatix(
            {QStringLiteral("--export-txt"), out, dir.filePath(QStringLiteral("absent.cod"))});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(!result.err.isEmpty());
        result = RunLineatix({QStringLiteral("--export-txt"), out});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.err.contains("Usage: lineatix --export-txt OUT.txt IN.cod"));
    }

    // On a French desktop the program still writes "." (a spreadsheet reading
    // the export relies on it); the file is read back here byte for byte.
    void batchExportUnderAFrenchLocale() {
        QTemporaryDir dir;
        CZbDoc doc(nullptr);
        FillTwoChannels(doc, 2);
        const QString in = dir.filePath(QStringLiteral("scan.cod"));
        QString error;
        QVERIFY2(doc.Save(in, &error), qPrintable(error));
        const QString out = dir.filePath(QStringLiteral("scan.txt"));
        ProcessResult result;
        {
            const CFrenchLocale french;
            QVERIFY2(french.IsActive(), qPrintable(french.Error()));
            result = RunLineatix({QStringLiteral("--export-txt"), out, in});
        }
        QCOMPARE(result.exitCode, 0);
        const QList<QByteArray> lines = Lines(ReadFileBytes(out));
        QCOMPARE(lines.value(3), QByteArray("1.00000005e-003\t1.50000000e+000\t"
                                            "-3.25000002e-007\t1.00000000e+002\t\r"));
    }

  private:
    QTemporaryDir m_runtime;
};

QTEST_GUILESS_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"
