// The image mode on paper: every image pixel becomes 3 x 3 printer dots, from
// the top-left of the printable area. Printed into a PDF at a known
// resolution and rasterised back by pdftoppm at that same resolution.
#include <QtTest>

#include <QImage>
#include <QImageReader>
#include <QPdfWriter>
#include <QTemporaryDir>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/printpage.h"
#include "testsupport.h"

namespace {
constexpr int kDpi = 600;                   // a printer's resolution: 640 pixels take 3.2 inches
constexpr int kMarginDots = 24 * kDpi / 72; // the page's 24 pt margins
} // namespace

class TestPrintImage : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QImageReader::setAllocationLimit(256); } // a 600 dpi A4 raster
    void imagePrintsThreeDotsPerPixel_data();
    void imagePrintsThreeDotsPerPixel();
};

void TestPrintImage::imagePrintsThreeDotsPerPixel_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("640 x 480") << 640 << 480;
    QTest::newRow("odd sizes") << 101 << 37;
}

void TestPrintImage::imagePrintsThreeDotsPerPixel() {
    QFETCH(int, width);
    QFETCH(int, height);
    QTemporaryDir dir;
    CZbApp app;
    CZbDoc doc(&app);
    QCOMPARE(doc.m_pImage->Allocate(width, height, 24), 0);
    doc.m_pImage->Fill(0);
    doc.m_nDisplay = kChannelImage;
    // The image mode keeps the reference point and pixel through a printout.
    app.m_fRefX = 1;
    app.m_fRefY = 2;
    app.m_nRefPixelX = 3;

    const QString pdf = dir.filePath(QStringLiteral("image.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(kDpi);
        SetUpPrintPage(writer);
        QVERIFY(PrintDocument(writer, doc, app));
    }
    QCOMPARE(app.m_fRefX, 1.0f);
    QCOMPARE(app.m_fRefY, 2.0f);
    QCOMPARE(int(app.m_nRefPixelX), 3);

    const ProcessResult raster =
        RunProgram(QStringLiteral("pdftoppm"), {"-r", QString::number(kDpi), "-gray", pdf,
                                                dir.filePath(QStringLiteral("image"))});
    QCOMPARE(raster.exitCode, 0);
    const QImage page(dir.filePath(QStringLiteral("image-1.pgm")));
    QVERIFY(!page.isNull());
    QRect dark;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* line = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x)
            if (line[x] < 128) dark |= QRect(x, y, 1, 1);
    }
    // pdftoppm may shade one more row or column at an edge that falls
    // between two of its pixels.
    const QRect expected(kMarginDots, kMarginDots, 3 * width, 3 * height);
    const auto near = [](int actual, int wanted) { return qAbs(actual - wanted) <= 1; };
    QVERIFY2(near(dark.left(), expected.left()) && near(dark.top(), expected.top()) &&
                 near(dark.right(), expected.right()) && near(dark.bottom(), expected.bottom()),
             qPrintable(QStringLiteral("%1, %2, %3 x %4")
                            .arg(dark.left())
                            .arg(dark.top())
                            .arg(dark.width())
                            .arg(dark.height())));
}

QTEST_MAIN(TestPrintImage)
#include "tst_printimage.moc"
