// The page mappings: where a millimetre point of the page lands on the device,
// on screen (isotropic fit from the top-left) and on paper (true size).
#include <QImage>
#include <QPainter>
#include <QTest>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/plotter.h"
#include "view/mapping.h"

namespace {
// QImage keeps its resolution in dots per metre.
int DotsPerMetre(int dpi) {
    return qRound(dpi / 0.0254);
}
} // namespace

class TestMapping : public QObject {
    Q_OBJECT
  private slots:
    void pagePointOnDevice_data() {
        QTest::addColumn<bool>("printing");
        QTest::addColumn<QSize>("client"); // screen: client area in pixels
        QTest::addColumn<int>("dpi");      // paper: device resolution
        QTest::addColumn<QRectF>("page");  // left, top, right, bottom in mm
        QTest::addColumn<QPointF>("mm");
        QTest::addColumn<QPointF>("device");
        QTest::addColumn<double>("tolerance"); // device pixels

        const QRectF sheet(QPointF(-30, 95), QPointF(240, -95));
        QTest::newRow("screen: page corner at the client's top-left")
            << false << QSize(2700, 1900) << 0 << sheet << QPointF(-30, 95) << QPointF(0, 0)
            << 1e-6;
        QTest::newRow("screen: y upward") << false << QSize(2700, 1900) << 0 << sheet
                                          << QPointF(0, 0) << QPointF(300, 950) << 1e-6;
        QTest::newRow("screen: client of the page's proportions")
            << false << QSize(2700, 1900) << 0 << sheet << QPointF(240, -95) << QPointF(2700, 1900)
            << 1e-6;
        QTest::newRow("screen: wide client, the height fits")
            << false << QSize(1280, 800) << 0 << sheet << QPointF(240, -95)
            << QPointF(1136.842, 800) << 1e-3;
        QTest::newRow("screen: tall client, the width fits")
            << false << QSize(800, 1280) << 0 << sheet << QPointF(240, -95) << QPointF(800, 562.963)
            << 1e-3;
        // 100 x -0.009 and 100 x 50.009 become 0 and 5000, not -1 and 5001.
        QTest::newRow("screen: window origin truncated toward zero")
            << false << QSize(1000, 500) << 0 << QRectF(QPointF(-0.009, 50.009), QPointF(100, 0))
            << QPointF(0, 50) << QPointF(0, 0) << 1e-6;
        QTest::newRow("paper: page corner at the printable area's top-left")
            << true << QSize() << 600 << sheet << QPointF(-30, 95) << QPointF(0, 0) << 1e-6;
        // Twips as device pixels: 240 mm is 13606 twips, -95 mm -5385.
        QTest::newRow("paper at 1440 dpi: twips are dots")
            << true << QSize() << 1440 << sheet << QPointF(240, -95) << QPointF(15306, 10770)
            << 1e-6;
        QTest::newRow("paper at 600 dpi: 10 mm is 10 mm")
            << true << QSize() << 600 << sheet << QPointF(-20, 85)
            << QPointF(10 * 600 / 25.4, 10 * 600 / 25.4) << 0.5;
    }
    void pagePointOnDevice() {
        QFETCH(bool, printing);
        QFETCH(QSize, client);
        QFETCH(int, dpi);
        QFETCH(QRectF, page);
        QFETCH(QPointF, mm);
        QFETCH(QPointF, device);
        QFETCH(double, tolerance);
        QImage image(10, 10, QImage::Format_RGB32);
        if (printing) {
            image.setDotsPerMeterX(DotsPerMetre(dpi));
            image.setDotsPerMeterY(DotsPerMetre(dpi));
        }
        QPainter painter(&image);
        const float left = page.left(), top = page.top(), right = page.right();
        const float bottom = page.bottom();
        const float units = printing ? SetPrintMapping(painter, left, bottom, right, top)
                                     : SetScreenMapping(painter, client, left, bottom, right, top);
        QCOMPARE(units, printing ? 56.692913f : 100.0f);

        // Through the plotter's conversion, as the drawing code goes.
        CZbApp app;
        CZbDoc doc(&app);
        const CPlotter plotter(&painter, &doc, printing);
        const QPointF logical(plotter.ToLogical(mm.x()), plotter.ToLogical(mm.y()));
        const QPointF got = painter.worldTransform().map(logical);
        QVERIFY2(
            qAbs(got.x() - device.x()) <= tolerance && qAbs(got.y() - device.y()) <= tolerance,
            qPrintable(QStringLiteral("(%1, %2)").arg(got.x(), 0, 'f', 4).arg(got.y(), 0, 'f', 4)));
    }
};

QTEST_MAIN(TestMapping)
#include "tst_mapping.moc"
