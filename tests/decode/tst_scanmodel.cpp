#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <random>

#include "decode/analysis.h"
#include "decode/scanmodel.h"
#include "doc/zbdoc.h"
#include "graph/displaycurves.h"
#include "testsupport.h"

namespace {

// The EAN-13 check digit, computed here on its own.
QChar CheckDigitOf(const QString& twelve) {
    int sum = 0;
    for (int k = 0; k < 12; ++k)
        sum += twelve.at(k).digitValue() * (k % 2 ? 3 : 1);
    return QChar(u'0' + (10 - sum % 10) % 10);
}

struct Result {
    int flags = -1;
    QString code;
    int edges = 0;
    QStringList boxes;
};

// The three analysis steps with the proposed widths.
Result Analyse(CZbDoc& doc) {
    Result result;
    doc.m_strCode = QStringLiteral("0000000000000");
    SetGraphMultipliers(doc);
    CCodeAnalysis analysis(&doc);
    analysis.SetMessageHandler([&](const QString& text) { result.boxes << text; });
    analysis.Generate();
    analysis.Confirm();
    result.flags = analysis.Analyse();
    result.code = doc.m_strCode;
    result.edges = analysis.m_nEdges;
    return result;
}

// Stretches of one row of pixels: dark pixels are bars.
std::vector<ScanSegment> RowSegments(const QImage& image, int y, double pixelTime) {
    std::vector<ScanSegment> segments;
    for (int x = 0; x < image.width(); ++x) {
        const bool bar = qGray(image.pixel(x, y)) < 128;
        if (!segments.empty() && segments.back().bar == bar)
            segments.back().duration += pixelTime;
        else
            segments.push_back({pixelTime, bar});
    }
    return segments;
}

} // namespace

class TestScanModel : public QObject {
    Q_OBJECT
  private slots:
    // Random valid codes swept at several sampling rates, noise levels and
    // rise times decode to the code swept.
    void randomCodesDecode_data() {
        QTest::addColumn<int>("samplesPerModule");
        QTest::addColumn<float>("noise");
        QTest::addColumn<double>("riseModules"); // rise time in modules
        QTest::addColumn<double>("growthModules");
        QTest::newRow("12 per module, clean") << 12 << 0.f << 0.0 << 0.0;
        QTest::newRow("16 per module, noisy") << 16 << 0.1f << 0.1 << 0.0;
        QTest::newRow("24 per module, noisier") << 24 << 0.25f << 0.2 << 0.0;
        QTest::newRow("40 per module, ink spread") << 40 << 0.1f << 0.1 << 0.1;
    }
    void randomCodesDecode() {
        QFETCH(int, samplesPerModule);
        QFETCH(float, noise);
        QFETCH(double, riseModules);
        QFETCH(double, growthModules);
        std::mt19937 generator(20261210);
        std::uniform_int_distribution<int> digit(0, 9);
        CZbDoc doc(nullptr);
        for (int n = 0; n < 40; ++n) {
            QString code;
            for (int k = 0; k < 12; ++k)
                code += QChar(u'0' + digit(generator));
            code += CheckDigitOf(code);
            ScanParameters parameters;
            parameters.moduleTime = 50e-6;
            parameters.samplePeriod = parameters.moduleTime / samplesPerModule;
            parameters.riseTime = riseModules * parameters.moduleTime;
            parameters.barGrowth = growthModules * parameters.moduleTime;
            parameters.noise = noise;
            parameters.seed = static_cast<std::uint32_t>(n + 1);
            parameters.startTime = -2e-3;
            parameters.runUpTime = 5 * parameters.moduleTime;
            WriteScan(doc, MakeCodeScan(code, parameters));
            const Result result = Analyse(doc);
            QVERIFY2(result.flags == 0 && result.code == code && result.edges == 60,
                     qPrintable(QStringLiteral("%1: flags %2, read %3, %4 edges")
                                    .arg(code)
                                    .arg(result.flags)
                                    .arg(result.code)
                                    .arg(result.edges)));
            QVERIFY(result.boxes.isEmpty());
        }
    }

    void tooFewSamplesPerModule() {
        // Bars lose two sample periods: at 8 samples a module a 3-module bar
        // reads as 4 against the shortened one-module bars.
        ScanParameters parameters;
        parameters.samplePeriod = parameters.moduleTime / 8;
        CZbDoc doc(nullptr);
        WriteScan(doc, MakeCodeScan(QStringLiteral("4006381333931"), parameters));
        QVERIFY(Analyse(doc).flags != 0);
    }

    void traceLevels() {
        ScanParameters parameters;
        parameters.samplePeriod = parameters.moduleTime / 4;
        const ScanTrace trace = MakeCodeScan(QStringLiteral("5410673004208"), parameters);
        // 11 + 95 + 11 modules of 4 samples, plus the closing sample.
        QCOMPARE(int(trace.value.size()), 117 * 4 + 1);
        QCOMPARE(trace.value.front(), parameters.low);
        QCOMPARE(trace.value[11 * 4], parameters.high); // left guard bar
        QCOMPARE(trace.value[12 * 4], parameters.low);
        QCOMPARE(trace.value.back(), parameters.low);
        QCOMPARE(trace.time[2], float(2 * parameters.samplePeriod));
        parameters.noise = 0.2f;
        QCOMPARE(MakeCodeScan(QStringLiteral("5410673004208"), parameters).value,
                 MakeCodeScan(QStringLiteral("5410673004208"), parameters).value);
        QVERIFY(Ean13Modules(QStringLiteral("541067300420")).isEmpty());
        QVERIFY(Ean13Modules(QStringLiteral("541067300420x")).isEmpty());
    }

    // Codes drawn by zint, an encoder of its own: a row of pixels swept by
    // the model decodes to the code zint drew.
    void zintImagesDecode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("scale");
        QTest::newRow("default code") << "5410673004208" << 2;
        QTest::newRow("leading 0") << "0012345678905" << 3;
        QTest::newRow("leading 9") << "9780201379624" << 2;
        QTest::newRow("leading 4") << "4006381333931" << 4;
        QTest::newRow("leading 7") << "7501031311309" << 3;
    }
    void zintImagesDecode() {
        QFETCH(QString, code);
        QFETCH(int, scale);
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("code.png"));
        const ProcessResult zint =
            RunProgram(QStringLiteral("zint"),
                       {QStringLiteral("-b"), QStringLiteral("13"), QStringLiteral("--notext"),
                        QStringLiteral("--data=") + code, QStringLiteral("-o"), png,
                        QStringLiteral("--scale=%1").arg(scale)});
        if (zint.exitCode == -1) QSKIP("zint is not installed (scripts/setup.sh installs it)");
        QCOMPARE(zint.exitCode, 0);
        const QImage image(png);
        QVERIFY(!image.isNull());

        // Module width in pixels: the first bar is the left guard's.
        const std::vector<ScanSegment> pixels = RowSegments(image, image.height() / 4, 1.0);
        QVERIFY(pixels.size() > 2 && pixels.at(1).bar);
        const double pixelsPerModule = pixels.at(1).duration;
        ScanParameters parameters;
        parameters.samplePeriod = parameters.moduleTime / 16;
        parameters.noise = 0.05f;
        parameters.riseTime = parameters.samplePeriod;
        const std::vector<ScanSegment> segments =
            RowSegments(image, image.height() / 4, parameters.moduleTime / pixelsPerModule);
        CZbDoc doc(nullptr);
        WriteScan(doc, MakeScanTrace(segments, parameters));
        const Result result = Analyse(doc);
        QCOMPARE(result.flags, 0);
        QCOMPARE(result.code, code);
    }
};

QTEST_GUILESS_MAIN(TestScanModel)
#include "tst_scanmodel.moc"
