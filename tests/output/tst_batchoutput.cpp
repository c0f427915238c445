// lineatix --print-pdf and --render-png, checked with real tools: the PDF is
// rasterised by pdftoppm, the codes read back by zbarimg and the bar modules
// measured on the raster.

#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "testsupport.h"

namespace {

constexpr int kDpi = 600;
constexpr double kMarginMm = 24 * 25.4 / 72; // printable area: 24 pt margins
// The sheet's page window starts at (-30, 95) mm.
constexpr double kSheetLeft = -30, kSheetTop = 95;

double MmToPixels(double mm) {
    return mm * kDpi / 25.4;
}

// A dark run of pixels along one raster row.
struct Run {
    int left, right; // first dark pixel, first light pixel after it
};

QVector<Run> DarkRuns(const QImage& raster, int row, int fromX, int threshold = 128) {
    QVector<Run> runs;
    const uchar* line = raster.constScanLine(row);
    int start = -1;
    for (int x = fromX; x < raster.width(); ++x) {
        const bool dark = line[x] < threshold;
        if (dark && start < 0) start = x;
        if (!dark && start >= 0) {
            runs.append({start, x});
            start = -1;
        }
    }
    return runs;
}

QSet<QString> DecodedCodes(const QString& imagePath) {
    const ProcessResult result = RunProgram(QStringLiteral("zbarimg"), {"-q", imagePath});
    QSet<QString> codes;
    for (const QByteArray& line : result.out.split('\n'))
        if (!line.trimmed().isEmpty()) codes.insert(QString::fromLatin1(line.trimmed()));
    return codes;
}

} // namespace

class TestBatchOutput : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Prints the document given (or the default one) to a PDF and rasterises
    // it in grey at 600 dpi; returns the raster's path.
    QString PrintAndRasterise(const QString& name, CZbDoc* doc) {
        QStringList arguments{"--print-pdf", Path(name + ".pdf")};
        if (doc) {
            QString error;
            if (!doc->Save(Path(name + ".cod"), &error)) return QString();
            arguments << Path(name + ".cod");
        }
        const ProcessResult printed = RunLineatix(arguments);
        if (printed.exitCode != 0) return QString();
        const ProcessResult raster =
            RunProgram(QStringLiteral("pdftoppm"),
                       {"-r", QString::number(kDpi), "-gray", Path(name + ".pdf"), Path(name)});
        if (raster.exitCode != 0) return QString();
        return Path(name + "-1.pgm");
    }

  private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // A 600 dpi A4 page is larger than Qt's default image limit allows.
        QImageReader::setAllocationLimit(1024);
    }

    // Every code on the printed sheet reads back; one colour pair for all
    // eight renderings where it is not the default sheet.
    void printedCodesDecode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("bar"); // COLORREF, -1 = the default colours
        QTest::addColumn<int>("space");
        QTest::newRow("default sheet") << "5410673004208" << -1 << -1;
        QTest::newRow("check digit 0") << "5410673000040" << -1 << -1;
        QTest::newRow("leading 0") << "0123456789012" << -1 << -1;
        QTest::newRow("black on white")
            << "4006381333931" << int(MakeColorRef(0, 0, 0)) << int(MakeColorRef(255, 255, 255));
        QTest::newRow("blue on yellow")
            << "5410673004208" << int(MakeColorRef(0, 0, 255)) << int(MakeColorRef(255, 255, 0));
        QTest::newRow("dark green on white")
            << "5410673004208" << int(MakeColorRef(0, 100, 0)) << int(MakeColorRef(255, 255, 255));
        QTest::newRow("red on white")
            << "5410673004208" << int(MakeColorRef(255, 0, 0)) << int(MakeColorRef(255, 255, 255));
    }
    void printedCodesDecode() {
        QFETCH(QString, code);
        QFETCH(int, bar);
        QFETCH(int, space);
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCode = code;
        if (bar >= 0)
            for (int i = 0; i < CZbDoc::kRenderings; ++i) {
                doc.m_crBar[i] = static_cast<COLORREF>(bar);
                doc.m_crSpace[i] = static_cast<COLORREF>(space);
            }
        const QString raster =
            PrintAndRasterise(QString::fromLatin1(QTest::currentDataTag()), &doc);
        QVERIFY(!raster.isEmpty());
        QCOMPARE(DecodedCodes(raster), QSet<QString>{QStringLiteral("EAN-13:") + code});
    }

    // True size on paper: the bar module of the first rendering is 0.6 mm and
    // that of the eighth 0.6 x 1.1^7 mm, the sheet placed from the top-left of
    // the printable area.
    void moduleWidthOnPaper_data() {
        QTest::addColumn<double>("x"); // rendering position on the sheet, mm
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("module");
        QTest::newRow("rendering 1") << -20.0 << 70.0 << 0.6;
        QTest::newRow("rendering 8") << -20.0 << -50.0 << 0.6 * std::pow(1.1, 7);
    }
    void moduleWidthOnPaper() {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, module);
        static QString raster;
        if (raster.isEmpty()) raster = PrintAndRasterise(QStringLiteral("sheet"), nullptr);
        QVERIFY(!raster.isEmpty());
        QImage image(raster);
        QVERIFY(!image.isNull());
        image = image.convertToFormat(QImage::Format_Grayscale8);

        // Along the baseline, from 2 mm left of the code.
        const int row = qRound(MmToPixels(kMarginMm + kSheetTop - y));
        const int fromX = qRound(MmToPixels(kMarginMm + x - kSheetLeft - 2));
        const QVector<Run> runs = DarkRuns(image, row, fromX);
        QVERIFY(runs.size() >= 30); // an EAN-13 code has 30 bars

        const double leftEdge = MmToPixels(kMarginMm + x - kSheetLeft);
        QVERIFY2(std::abs(runs[0].left - leftEdge) <= 2, qPrintable(QString::number(runs[0].left)));
        // The first guard bar is one module wide.
        const double modulePixels = MmToPixels(module);
        const int firstBar = runs[0].right - runs[0].left;
        QVERIFY2(std::abs(firstBar - modulePixels) <= 1,
                 qPrintable(QStringLiteral("%1 px, expected %2").arg(firstBar).arg(modulePixels)));
        // The whole code, left guard to right guard, is 95 modules.
        const int code = runs[29].right - runs[0].left;
        QVERIFY2(std::abs(code - 95 * modulePixels) <= 2,
                 qPrintable(QStringLiteral("%1 px, expected %2").arg(code).arg(95 * modulePixels)));
    }

    // The texts of the printed sheet, upright and where they belong: the title
    // centred at (105, -75) mm hanging below that point, the French date at
    // the top-left.
    void printedTexts() {
        const ProcessResult printed = RunLineatix({"--print-pdf", Path("texts.pdf")});
        QCOMPARE(printed.exitCode, 0);
        const ProcessResult text =
            RunProgram(QStringLiteral("pdftotext"), {"-bbox", Path("texts.pdf"), "-"});
        QCOMPARE(text.exitCode, 0);
        const QRegularExpression word(
            QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                           "yMax=\"[\\d.]+\">([^<]*)<"));
        QMap<QString, QRectF> boxes; // first box of each word
        QStringList words;
        for (auto it = word.globalMatch(QString::fromUtf8(text.out)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            words << m.captured(4);
            if (!boxes.contains(m.captured(4)))
                boxes.insert(m.captured(4),
                             QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                    QPointF(m.captured(3).toDouble(), 0)));
        }
        const double margin = 24, pointsPerMm = 72 / 25.4;
        QVERIFY(boxes.contains("CODE") && boxes.contains("5410673004208"));
        const double centre = (boxes["CODE"].left() + boxes["5410673004208"].right()) / 2;
        QVERIFY2(qAbs(centre - (margin + (105 - kSheetLeft) * pointsPerMm)) < 1,
                 qPrintable(QString::number(centre)));
        QVERIFY(qAbs(boxes["CODE"].top() - (margin + (kSheetTop - -75) * pointsPerMm)) < 1);
        QVERIFY2(words.join(' ').contains(QRegularExpression(
                     "^(lundi|mardi|mercredi|jeudi|vendredi|samedi|dimanche), \\d\\d \\S+ \\d{4} - "
                     "\\d\\d:\\d\\d:\\d\\d ")),
                 qPrintable(words.mid(0, 8).join(' ')));
        QVERIFY(words.join(' ').contains("T:0.60, E:0.60, (64,0,0) (64,255,255)"));
    }

    void renderPng() {
        const ProcessResult result = RunLineatix({"--render-png", Path("view.png")});
        QCOMPARE(result.exitCode, 0);
        QImage image(Path("view.png"));
        QCOMPARE(image.size(), QSize(1280, 800));
        // The 270 x 190 mm sheet fills the height; white to its right.
        QCOMPARE(image.pixelColor(1270, 400), QColor(Qt::white));
        QCOMPARE(DecodedCodes(Path("view.png")),
                 QSet<QString>{QStringLiteral("EAN-13:5410673004208")});

        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCode = QStringLiteral("4006381333931");
        QString error;
        QVERIFY(doc.Save(Path("view.cod"), &error));
        const ProcessResult sized = RunLineatix(
            {"--render-png", Path("small.png"), "--size", "1000x700", Path("view.cod")});
        QCOMPARE(sized.exitCode, 0);
        QImage small(Path("small.png"));
        QCOMPARE(small.size(), QSize(1000, 700));
        QCOMPARE(DecodedCodes(Path("small.png")),
                 QSet<QString>{QStringLiteral("EAN-13:4006381333931")});
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("png: no output") << QStringList{"--render-png"} << "Usage";
        QTest::newRow("png: size not WxH")
            << QStringList{"--render-png", "x.png", "--size", "big"} << "Taille invalide";
        QTest::newRow("png: zero size")
            << QStringList{"--render-png", "x.png", "--size", "0x100"} << "Taille invalide";
        QTest::newRow("png: size missing")
            << QStringList{"--render-png", "x.png", "--size"} << "--size attend WxH";
        QTest::newRow("png: too many")
            << QStringList{"--render-png", "x.png", "a.cod", "b.cod"} << "Usage";
        QTest::newRow("png: missing input")
            << QStringList{"--render-png", "x.png", "absent.cod"} << "absent.cod";
        QTest::newRow("pdf: no output") << QStringList{"--print-pdf"} << "Usage";
        QTest::newRow("pdf: missing input")
            << QStringList{"--print-pdf", "x.pdf", "absent.cod"} << "absent.cod";
        QTest::newRow("pdf: unwritable")
            << QStringList{"--print-pdf", "no/such/folder/x.pdf"} << "no/such/folder/x.pdf";
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const ProcessResult result = RunLineatix(arguments, m_dir.path());
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(QString::fromLocal8Bit(result.err).contains(message), result.err.constData());
        QVERIFY(!QFile::exists(Path("x.png")));
        QVERIFY(!QFile::exists(Path("x.pdf")));
    }
};

QTEST_MAIN(TestBatchOutput)
#include "tst_batchoutput.moc"
