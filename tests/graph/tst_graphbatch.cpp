#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "recordingdevice.h"
#include "testsupport.h"
#include "view/viewdraw.h"

namespace {

constexpr double kMmPerPoint = 25.4 / 72;
constexpr double kPageMarginMm = 24 * kMmPerPoint; // printed margin: a third of an inch

// A word of text and the centre of its box in mm from the frame's top-left.
struct PlacedText {
    QString text;
    double x, y;
};

bool IsTickLabel(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^-?\\d+\\.\\d\\d$"));
    return number.match(text).hasMatch();
}

// CH1 from 0.02 to 0.98 s and -1.2 to 4.7 V, shown as a graph.
void FillDocument(CZbDoc& doc) {
    doc.ClearSamples();
    doc.m_nChannels = kChannelCh1;
    doc.m_nDisplay = kChannelCh1;
    doc.m_nPoints = 11;
    for (int row = 0; row < doc.m_nPoints; ++row) {
        doc.m_fT[row][0] = 0.02f + 0.096f * row;
        doc.m_fT[row][1] = -1.2f + 0.59f * row;
    }
}

// The tick labels as the screen draws them, from the frame's top-left.
QVector<PlacedText> ScreenLabels(CZbDoc& doc, CZbApp& app) {
    QImage scratch(270, 190, QImage::Format_RGB32);
    {
        QPainter painter(&scratch);
        DrawGraphPage(painter, doc, app, false, false);
    }
    RecordingDevice device(doc.m_fFrameLeft, doc.m_fFrameBottom, doc.m_fFrameRight, doc.m_fFrameTop,
                           false);
    {
        QPainter painter(&device);
        DrawGraphPage(painter, doc, app, false, false);
    }
    QVector<PlacedText> labels;
    for (const auto& item : device.ItemsOfKind(RecordingDevice::Text))
        if (IsTickLabel(item.text))
            labels.append({item.text, (item.left + item.right) / 200 - doc.m_fFrameLeft,
                           doc.m_fFrameTop - (item.bottom + item.top) / 200});
    return labels;
}

// The words of the PDF's first page as pdftotext -bbox places them.
QVector<PlacedText> PdfWords(const QString& pdf, const QString& html) {
    const ProcessResult result = RunProgram("pdftotext", {"-bbox", pdf, html});
    if (result.exitCode != 0) return {};
    QFile file(html);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QVector<PlacedText> words;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        const double x = (match.captured(1).toDouble() + match.captured(3).toDouble()) / 2;
        const double y = (match.captured(2).toDouble() + match.captured(4).toDouble()) / 2;
        words.append(
            {match.captured(5), x * kMmPerPoint - kPageMarginMm, y * kMmPerPoint - kPageMarginMm});
    }
    return words;
}

} // namespace

class TestGraphBatch : public QObject {
    Q_OBJECT
  private slots:
    // The printed graph has the screen's millimetre geometry: every tick
    // label stands at the same place from the frame's top-left corner.
    void pdfKeepsScreenGeometry() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString cod = dir.filePath("graph.cod"), pdf = dir.filePath("graph.pdf");
        CZbApp app;
        CZbDoc doc(&app);
        FillDocument(doc);
        QString error;
        QVERIFY2(doc.Save(cod, &error), qPrintable(error));

        const ProcessResult printed = RunLineatix({"--print-pdf", pdf, cod});
        QVERIFY2(printed.exitCode == 0, printed.err.constData());
        const QVector<PlacedText> words = PdfWords(pdf, dir.filePath("graph.html"));
        const QVector<PlacedText> labels = ScreenLabels(doc, app);
        QCOMPARE(labels.size(), 29); // 12 on x, 17 on y

        for (const PlacedText& label : labels) {
            bool found = false;
            for (const PlacedText& word : words)
                found = found || (word.text == label.text && std::fabs(word.x - label.x) < 0.3 &&
                                  std::fabs(word.y - label.y) < 0.5);
            QVERIFY2(
                found,
                qPrintable(QString("%1 at %2, %3 mm").arg(label.text).arg(label.x).arg(label.y)));
        }
        QVERIFY(std::any_of(words.begin(), words.end(),
                            [](const PlacedText& w) { return w.text == "Echx:2.08e+002"; }));
    }

    // The rendered view of a graph document shows the curve: a red run across
    // the page, 0.3 mm wide.
    void renderedPngShowsCurve() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString cod = dir.filePath("graph.cod"), png = dir.filePath("graph.png");
        CZbApp app;
        CZbDoc doc(&app);
        FillDocument(doc);
        QString error;
        QVERIFY2(doc.Save(cod, &error), qPrintable(error));
        const ProcessResult rendered =
            RunLineatix({"--render-png", png, "--size", "1350x950", cod});
        QVERIFY2(rendered.exitCode == 0, rendered.err.constData());
        const QImage image(png);
        QCOMPARE(image.size(), QSize(1350, 950)); // 5 pixels per mm
        int redColumns = 0;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 100 && c.blue() < 100) {
                    ++redColumns;
                    break;
                }
            }
        // Antialiased: mostly red is enough. The curve spans 0.96 x 208.33 = 200 mm, the red axis
        // labels 30 mm more at most.
        QVERIFY2(redColumns > 950 && redColumns < 1160, qPrintable(QString::number(redColumns)));
    }
};

QTEST_MAIN(TestGraphBatch)
#include "tst_graphbatch.moc"
