#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <limits>
#include <memory>

#include "code/code.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/plotter.h"
#include "painterstate.h"
#include "recordingdevice.h"

// The code sheet as painted: where each rendering lands, how high it is drawn,
// what its texts say, and what a malformed code draws.
namespace {

using Item = RecordingDevice::Item;

// Every rendering gets bar and space colours of its own so that what was
// painted can be told apart by colour.
QColor BarColour(int rendering) {
    return QColor(10 + 20 * rendering, 0, 0);
}
QColor SpaceColour(int rendering) {
    return QColor(255, 255, 100 + rendering);
}

void ColourRenderings(CZbDoc& doc) {
    for (int i = 0; i < CZbDoc::kRenderings; ++i) {
        doc.m_crBar[i] = FromQColor(BarColour(i));
        doc.m_crSpace[i] = FromQColor(SpaceColour(i));
    }
}

std::unique_ptr<RecordingDevice> PaintSheet(CZbDoc& doc, CZbApp& app, bool printing = false) {
    auto device = std::make_unique<RecordingDevice>(-30, -95, 240, 95, printing);
    QPainter painter(device.get());
    CCode::DrawCodeSheet(&painter, &doc, &app, printing);
    return device;
}

// Where a rendering was drawn, in mm, from its bars: the left guard starts at
// x, guard bars span y - 1.4h to y + h.
struct Placement {
    int bars = 0;
    double x = 0, y = 0, height = 0;
};

Placement Place(const RecordingDevice& device, int rendering) {
    const QVector<Item> bars = device.FilledRects(BarColour(rendering));
    Placement placed;
    placed.bars = bars.size();
    if (bars.isEmpty()) return placed;
    double left = 1e9, bottom = 1e9, top = -1e9;
    for (const Item& bar : bars) {
        left = std::min(left, bar.left);
        bottom = std::min(bottom, bar.bottom);
        top = std::max(top, bar.top);
    }
    const double units = device.UnitsPerMm();
    const double halfHeight = (top - bottom) / 2.4 / units;
    placed.x = left / units;
    placed.y = top / units - halfHeight;
    placed.height = 2 * halfHeight;
    return placed;
}

// The 95 modules of a rendering drawn with equal bar and space widths, read
// back from the painted bars at the middle of each module: '1' bar, '0' space.
QString Modules(const RecordingDevice& device, int rendering, double xMm, double yMm,
                double moduleMm) {
    const QVector<Item> bars = device.FilledRects(BarColour(rendering));
    const double units = device.UnitsPerMm();
    QString modules;
    for (int k = 0; k < 95; ++k) {
        const double x = (xMm + (k + 0.5) * moduleMm) * units, y = yMm * units;
        const bool dark = std::any_of(bars.begin(), bars.end(), [x, y](const Item& bar) {
            return bar.left <= x && x < bar.right && bar.bottom <= y && y < bar.top;
        });
        modules += dark ? QLatin1Char('1') : QLatin1Char('0');
    }
    return modules;
}

QVector<Item> TextsStartingWith(const RecordingDevice& device, const QString& prefix) {
    QVector<Item> found;
    for (const Item& item : device.ItemsOfKind(RecordingDevice::Text))
        if (item.text.startsWith(prefix)) found.append(item);
    return found;
}

} // namespace

class TestCodeSheet : public QObject {
    Q_OBJECT
  private slots:
    // Default widths 0.6 x 1.1^k: three renderings on the first row, rows
    // 40 mm apart, heights 40 x width up to 25 mm.
    void defaultLayout_data() {
        QTest::addColumn<int>("rendering");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("height");
        QTest::newRow("0: first row, left") << 0 << -20.0 << 70.0 << 24.0;
        QTest::newRow("1: 0.66 mm drawn 25 mm high, not 26.4") << 1 << 46.4 << 70.0 << 25.0;
        QTest::newRow("2: first row, right") << 2 << 118.44 << 70.0 << 25.0;
        QTest::newRow("3: starts the second row") << 3 << -20.0 << 30.0 << 25.0;
        QTest::newRow("4: second row") << 4 << 65.07 << 30.0 << 25.0;
        QTest::newRow("5: third row") << 5 << -20.0 << -10.0 << 25.0;
        QTest::newRow("7: fourth row, above the frame") << 7 << -20.0 << -50.0 << 25.0;
    }
    void defaultLayout() {
        QFETCH(int, rendering);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, height);
        CZbApp app;
        CZbDoc doc(&app);
        ColourRenderings(doc);
        for (bool printing : {false, true}) {
            const auto device = PaintSheet(doc, app, printing);
            const Placement placed = Place(*device, rendering);
            // One rectangle per bar module of 5410673004208.
            QCOMPARE(placed.bars, 51);
            // Within a logical unit or two: every coordinate is truncated.
            const double tolerance = 2.5 / device->UnitsPerMm();
            QVERIFY2(qAbs(placed.x - x) < tolerance, qPrintable(QString::number(placed.x)));
            QVERIFY2(qAbs(placed.y - y) < tolerance, qPrintable(QString::number(placed.y)));
            QVERIFY2(qAbs(placed.height - height) < tolerance,
                     qPrintable(QString::number(placed.height)));
        }
    }

    void sheetFramesAndTexts() {
        CZbApp app;
        CZbDoc doc(&app);
        const auto device = PaintSheet(doc, app);
        const QVector<Item> lines = device->ItemsOfKind(RecordingDevice::Line);
        QCOMPARE(lines.size(), 8);
        for (const Item& line : lines) {
            QCOMPARE(line.penColour, QColor(Qt::black));
            QCOMPARE(line.penWidth, 20.0); // 0.2 mm
        }
        auto hasFrame = [&lines](double left, double bottom, double right, double top) {
            double l = 1e9, b = 1e9, r = -1e9, t = -1e9;
            int count = 0;
            for (const Item& line : lines)
                if (line.left >= left - 1 && line.right <= right + 1 && line.bottom >= bottom - 1 &&
                    line.top <= top + 1) {
                    l = std::min(l, line.left), b = std::min(b, line.bottom);
                    r = std::max(r, line.right), t = std::max(t, line.top);
                    ++count;
                }
            return count >= 4 && l == left && b == bottom && r == right && t == top;
        };
        QVERIFY(hasFrame(-3000, -9500, 24000, 9500));
        QVERIFY(hasFrame(-2500, -9000, 23500, 9000));

        const QVector<Item> title =
            device->TextsEqualTo(QStringLiteral("CODE EAN13: 5410673004208"));
        QCOMPARE(title.size(), 1);
        QCOMPARE(title[0].fontPixelSize, 900);
        QCOMPARE(title[0].penColour, QColor(0, 0, 255));
        QCOMPARE(title[0].origin, QPointF(10500, -7500));
        QVERIFY(qAbs((title[0].left + title[0].right) / 2 - 10500) < 1); // centred
        QVERIFY(qAbs(title[0].top - -7500) < 1);                         // hanging below

        // The date line in French at the top-left, on its baseline.
        const QVector<Item> all = device->ItemsOfKind(RecordingDevice::Text);
        const auto date = std::find_if(
            all.begin(), all.end(), [](const Item& t) { return t.origin == QPointF(-2500, 9080); });
        QVERIFY(date != all.end());
        QVERIFY(date->text.contains(QRegularExpression(
            QStringLiteral("^(lundi|mardi|mercredi|jeudi|vendredi|samedi|dimanche), \\d\\d "))));
        QCOMPARE(date->fontPixelSize, 360);
        QVERIFY(qAbs(date->baseline.y() - 9080) < 1);
        const auto credit = std::find_if(all.begin(), all.end(), [](const Item& t) {
            return t.origin == QPointF(-2500, -9350);
        });
        QVERIFY(credit != all.end());
        QVERIFY(credit->text.contains(QStringLiteral("EAN-13")));
    }

    // The digits and set letters under each rendering, and the caption.
    void renderingTexts() {
        CZbApp app;
        CZbDoc doc(&app);
        const auto device = PaintSheet(doc, app);
        const QVector<Item> captions = TextsStartingWith(*device, QStringLiteral("T:"));
        QCOMPARE(captions.size(), 8);
        QCOMPARE(captions[0].text, QStringLiteral("T:0.60, E:0.60, (64,0,0) (64,255,255)"));
        // Left-top at (x, y + 1.4h): rendering 0 at x = -20, y = 70, h = 12.
        QCOMPARE(captions[0].origin, QPointF(-2000, 8680));
        QVERIFY(qAbs(captions[0].top - 8680) < 1);
        // Type 0.2857 x h: 3.43 mm for h = 12.
        QCOMPARE(captions[0].fontPixelSize, 342);

        // Leading digit right-aligned 1 mm left of the code.
        QVector<Item> leading;
        for (const Item& t : device->TextsEqualTo(QStringLiteral("5")))
            if (t.origin == QPointF(-2100, 5560)) leading.append(t);
        QCOMPARE(leading.size(), 1);
        QVERIFY(qAbs(leading[0].right - -2100) < 1);

        // The set letters of rendering 0, left to right: parity of 5, then C.
        QVector<Item> letters;
        for (const Item& t : device->ItemsOfKind(RecordingDevice::Text))
            if (t.origin.y() == 5200 && t.origin.x() < 4000) letters.append(t); // y - 1.5h
        std::sort(letters.begin(), letters.end(),
                  [](const Item& a, const Item& b) { return a.origin.x() < b.origin.x(); });
        QString sets;
        for (const Item& t : letters)
            sets += t.text;
        QCOMPARE(sets, QStringLiteral("ABBAABCCCCCC"));
    }

    // Rendering 0's digits, centred under their slots: the first at
    // x + 2T + E + K/2 = -16.1 mm, one slot (K = 4.2 mm) apart, the middle
    // guard (3E + 2T) between the halves.
    void digitPositions() {
        CZbApp app;
        CZbDoc doc(&app);
        const auto device = PaintSheet(doc, app);
        QVector<Item> digits;
        for (const Item& t : device->ItemsOfKind(RecordingDevice::Text))
            if (t.origin.y() == 5560 && t.origin.x() > -2000 && t.origin.x() < 4000)
                digits.append(t); // y - 1.2h
        std::sort(digits.begin(), digits.end(),
                  [](const Item& a, const Item& b) { return a.origin.x() < b.origin.x(); });
        QCOMPARE(digits.size(), 12);
        const double expected[12] = {-16.1, -11.9, -7.7, -3.5, 0.7,  4.9,
                                     12.1,  16.3,  20.5, 24.7, 28.9, 33.1};
        QString text;
        for (int i = 0; i < 12; ++i) {
            text += digits[i].text;
            QVERIFY2(qAbs(digits[i].origin.x() - 100 * expected[i]) < 1.5,
                     qPrintable(QStringLiteral("digit %1 at %2").arg(i).arg(digits[i].origin.x())));
            QVERIFY(qAbs((digits[i].left + digits[i].right) / 2 - digits[i].origin.x()) < 1);
        }
        QCOMPARE(text, QStringLiteral("410673004208"));
    }

    // Frames first, then the credit line and the date, the renderings, and the
    // title last, over everything else.
    void sheetDrawingOrder() {
        CZbApp app;
        CZbDoc doc(&app);
        const auto device = PaintSheet(doc, app);
        const QVector<Item>& items = device->Items();
        QVERIFY(items.size() > 10);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(items[i].kind, RecordingDevice::Line);
        QCOMPARE(items[8].kind, RecordingDevice::Text);
        QCOMPARE(items[8].origin, QPointF(-2500, -9350)); // credit
        QCOMPARE(items[9].kind, RecordingDevice::Text);
        QCOMPARE(items[9].origin, QPointF(-2500, 9080));    // date
        QCOMPARE(items[10].kind, RecordingDevice::Ellipse); // the left guard's circle
        QCOMPARE(items.last().text, QStringLiteral("CODE EAN13: 5410673004208"));
    }

    // Each drawing operation of the code puts the pen, brush, font and text
    // colour back as it found them.
    void drawingKeepsThePainterState_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("left guard") << "G";
        QTest::newRow("middle guard") << "M";
        QTest::newRow("right guard") << "D";
        QTest::newRow("digit in set A") << "A";
        QTest::newRow("digit in set C") << "C";
        QTest::newRow("code") << "code";
        QTest::newRow("guards only") << "short";
        QTest::newRow("sheet on screen") << "sheet";
        QTest::newRow("sheet on paper") << "printed";
    }
    void drawingKeepsThePainterState() {
        QFETCH(QString, operation);
        CZbApp app;
        CZbDoc doc(&app);
        const bool printing = operation == QLatin1String("printed");
        RecordingDevice device(-30, -95, 240, 95, printing);
        QPainter painter(&device);
        const UnusualPainterState state;
        state.SetOn(painter);
        if (operation == QLatin1String("sheet") || printing) {
            CCode::DrawCodeSheet(&painter, &doc, &app, printing);
        } else {
            CCode code(&painter, &doc, false);
            code.SetColours(MakeColorRef(200, 0, 0), MakeColorRef(0, 200, 0));
            code.m_pPlotter->SetTextColor(MakeColorRef(1, 2, 3));
            const char kind = operation.at(0).toLatin1();
            if (operation == QLatin1String("code"))
                code.DrawCode(0, 0, QStringLiteral("5410673004208"));
            else if (operation == QLatin1String("short"))
                code.DrawCode(0, 0, QStringLiteral("54106"));
            else if (kind == 'A' || kind == 'C')
                code.DrawDigit(4, kind == 'A' ? 2 : 8, kind, 0, 0);
            else
                code.DrawGuard(kind, 0, 0);
            QCOMPARE(code.m_pPlotter->TextColor(), MakeColorRef(1, 2, 3));
        }
        QVERIFY(!device.Items().isEmpty());
        QCOMPARE(state.Differences(painter), QString());
    }

    void captionShowsTheNarrowerWidthAsT() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_fBar[0] = 0.6f;
        doc.m_fSpace[0] = 0.4f;
        const auto device = PaintSheet(doc, app);
        const QVector<Item> captions = TextsStartingWith(*device, QStringLiteral("T:"));
        QVERIFY(!captions.isEmpty());
        QVERIFY2(captions[0].text.startsWith(QStringLiteral("T:0.40, E:0.60, ")),
                 qPrintable(captions[0].text));
    }

    // The bar pattern of a code and of codes that are not 13 digits. Module
    // strings written from the EAN-13 standard's number sets.
    void barPattern_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("modules");   // empty: guards only
        QTest::addColumn<QStringList>("texts"); // some texts under rendering 0
        QTest::newRow("default code")
            << "5410673004208"
            << "10101000110110011010011101011110111011010000101010111001011100101011100110110011100"
               "101001000101"
            << (QStringList() << "5"
                              << "4"
                              << "8"
                              << "B"
                              << "C");
        QTest::newRow("leading 0: all digits in set A")
            << "0123456789012"
            << "10100110010010011011110101000110110001010111101010100010010010001110100111001011"
               "001101101100101"
            << (QStringList() << "0"
                              << "9"
                              << "A");
        QTest::newRow("leading letter: '?' and the sets of a leading 0")
            << "X410673004208"
            << "10101000110011001000110101011110111011011110101010111001011100101011100110110011100"
               "101001000101"
            << (QStringList() << "?"
                              << "A"
                              << "C");
        QTest::newRow("letter in the left half: '?' over a blank slot")
            << "54106?3004208"
            << "10101000110110011010011101011110000000010000101010111001011100101011100110110011100"
               "101001000101"
            << (QStringList() << "5"
                              << "?"
                              << "B");
        QTest::newRow("letter as check digit: '?' over a blank slot")
            << "541067300420Z"
            << "10101000110110011010011101011110111011010000101010111001011100101011100110110011100"
               "100000000101"
            << (QStringList() << "?"
                              << "C");
        QTest::newRow("12 characters: guards only") << "541067300420" << QString() << QStringList();
        QTest::newRow("14 characters: guards only")
            << "54106730042081" << QString() << QStringList();
        QTest::newRow("empty: guards only") << "" << QString() << QStringList();
    }
    void barPattern() {
        QFETCH(QString, code);
        QFETCH(QString, modules);
        QFETCH(QStringList, texts);
        CZbApp app;
        CZbDoc doc(&app);
        ColourRenderings(doc);
        doc.m_strCode = code;
        const auto device = PaintSheet(doc, app);
        const QVector<Item> captions = TextsStartingWith(*device, QStringLiteral("T:"));
        if (modules.isEmpty()) {
            // Three guards of 2 bars each, and no caption, digit or letter.
            for (int i = 0; i < CZbDoc::kRenderings; ++i)
                QCOMPARE(Place(*device, i).bars, 6);
            QCOMPARE(captions.size(), 0);
            QCOMPARE(device->ItemsOfKind(RecordingDevice::Text).size(), 3);
            QCOMPARE(device->TextsEqualTo(QStringLiteral("CODE EAN13: ") + code).size(), 1);
            return;
        }
        // Rendering 0: x = -20, y = 70, modules of 0.6 mm.
        QCOMPARE(Modules(*device, 0, -20, 70, 0.6), modules);
        QCOMPARE(captions.size(), 8);
        QStringList drawn;
        for (const Item& t : device->ItemsOfKind(RecordingDevice::Text))
            if (t.origin.x() < 4000 && t.origin.y() > 5000 && t.origin.y() < 6000) drawn << t.text;
        for (const QString& expected : texts)
            QVERIFY2(drawn.contains(expected), qPrintable(drawn.join(QLatin1Char(' '))));
    }

    // Renderings that would fall below the frame are left out.
    void renderingsBelowTheFrameSkipped() {
        CZbApp app;
        CZbDoc doc(&app);
        ColourRenderings(doc);
        for (int i = 0; i < CZbDoc::kRenderings; ++i)
            doc.m_fBar[i] = doc.m_fSpace[i] = 2.0f;
        const auto device = PaintSheet(doc, app);
        // 188 mm wide: one per row at y = 70, 30, -10, -50; the fifth row
        // (y = -90) is below the frame.
        for (int i = 0; i < CZbDoc::kRenderings; ++i)
            QCOMPARE(Place(*device, i).bars, i < 4 ? 51 : 0);
        QCOMPARE(TextsStartingWith(*device, QStringLiteral("T:")).size(), 4);
    }

    // Widths from a damaged file: the sheet still paints, on screen and on
    // paper; the damaged rendering is left out and takes no room.
    void damagedWidths_data() {
        QTest::addColumn<float>("width");
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("infinite") << std::numeric_limits<float>::infinity();
        QTest::newRow("huge") << 1e30f;
        QTest::newRow("negative") << -0.6f;
        QTest::newRow("zero") << 0.0f;
    }
    void damagedWidths() {
        QFETCH(float, width);
        CZbApp app;
        CZbDoc doc(&app);
        ColourRenderings(doc);
        doc.m_fBar[1] = doc.m_fSpace[1] = width;
        for (bool printing : {false, true}) {
            QImage image(1280, 800, QImage::Format_RGB32);
            QPainter painter(&image);
            CCode::DrawCodeSheet(&painter, &doc, &app, printing);
        }
        const auto device = PaintSheet(doc, app);
        QCOMPARE(Place(*device, 0).bars, 51);
        QVERIFY(qAbs(Place(*device, 0).x - -20) < 0.02);
        QCOMPARE(Place(*device, 1).bars, 0);
        const Placement third = Place(*device, 2);
        QCOMPARE(third.bars, 51);
        // In the place the left-out rendering would have taken.
        QVERIFY2(qAbs(third.x - 46.4) < 0.02 && qAbs(third.y - 70) < 0.02,
                 qPrintable(QStringLiteral("%1, %2").arg(third.x).arg(third.y)));
    }

    // Printing clears the reference point and the sheet fixes the page window
    // and a plain transform in the document, on screen as on paper.
    void documentStateAfterDrawing_data() {
        QTest::addColumn<bool>("printing");
        QTest::newRow("screen") << false;
        QTest::newRow("paper") << true;
    }
    void documentStateAfterDrawing() {
        QFETCH(bool, printing);
        CZbApp app;
        app.m_fRefX = 1.5f;
        app.m_fRefY = 2.5f;
        CZbDoc doc(&app);
        doc.m_nPoints = 20; // rows present: the plotters write back
        doc.m_fMmPerUnitX = 3;
        doc.m_fOriginY = 4;
        doc.m_fMultX = 1000;
        doc.m_fFrameRight = 300;
        PaintSheet(doc, app, printing);
        QCOMPARE(app.HasReference(), !printing);
        QCOMPARE(doc.m_fFrameLeft, -30.0f);
        QCOMPARE(doc.m_fFrameBottom, -95.0f);
        QCOMPARE(doc.m_fFrameRight, 240.0f);
        QCOMPARE(doc.m_fFrameTop, 95.0f);
        QCOMPARE(doc.m_fMmPerUnitX, 1.0f);
        QCOMPARE(doc.m_fOriginY, 0.0f);
        QCOMPARE(doc.m_fMultX, 1.0f);
    }

    // The slot-boundary circles: on top of the bars, a third of a module
    // across, outlines only.
    void slotCircles() {
        CZbApp app;
        CZbDoc doc(&app);
        const auto device = PaintSheet(doc, app);
        QVector<Item> circles;
        for (const Item& e : device->ItemsOfKind(RecordingDevice::Ellipse))
            if (e.left < 4000 && e.bottom > 7000) circles.append(e); // rendering 0
        // Left and right guards 2 + 1, middle guard 1, 12 digit slots.
        QCOMPARE(circles.size(), 16);
        for (const Item& c : circles) {
            QVERIFY(qAbs((c.bottom + c.top) / 2 - 8200) <= 1); // y + h = 82 mm
            QVERIFY(qAbs(c.Width() - 40) <= 2);                // 2 x 0.6 / 3 mm
            QCOMPARE(c.brushStyle, Qt::NoBrush);
        }
    }
};

QTEST_MAIN(TestCodeSheet)
#include "tst_codesheet.moc"
