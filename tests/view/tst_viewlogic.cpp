// The view's logic without widgets: coordinates, the point finder, the arrow
// keys, the readout and the command and display rules.
#include <QtTest>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "view/commandrules.h"
#include "view/displayselection.h"
#include "view/pointfinder.h"
#include "view/viewcoords.h"
#include "view/viewcursor.h"

class TestViewLogic : public QObject {
    Q_OBJECT

  private slots:
    void coordinatesRoundTrip();
    void findPoint_data();
    void findPoint();
    void findPointSearchesTheWholeTable();
    void stepRow_data();
    void stepRow();
    void arrowsOverAFullTableNeverLeaveIt();
    void plainClickMissAndHit();
    void readout_data();
    void readout();
    void displaySelection();
    void graphRule_data();
    void graphRule();
    void portAccessAsTheKernelSays();
};

namespace {

// The raw I/O capability in the effective set, as the kernel tells it; with
// set given, takes it out of that set or puts it back (false when it cannot).
bool RawIoCapability(bool* effective, const bool* set = nullptr) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    const unsigned bit = 1u << CAP_SYS_RAWIO;
    *effective = data[0].effective & bit;
    if (!set) return true;
    if (*set && !(data[0].permitted & bit)) return false;
    data[0].effective = *set ? (data[0].effective | bit) : (data[0].effective & ~bit);
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

// A page of 100 x 50 mm in a 200 x 200 pixel client: 2 pixels per mm, the
// page at the top. Graph: 10 mm per unit, origin at data (1, 2), shown
// values 1000 times the data.
void TestViewLogic::coordinatesRoundTrip() {
    CZbApp app;
    CZbDoc doc(&app);
    doc.m_fFrameLeft = -10;
    doc.m_fFrameBottom = -20;
    doc.m_fFrameRight = 90;
    doc.m_fFrameTop = 30;
    doc.m_fMmPerUnitX = doc.m_fMmPerUnitY = 10;
    doc.m_fOriginX = 1;
    doc.m_fOriginY = 2;
    doc.m_fMultX = doc.m_fMultY = 1000;
    const CViewCoords coords(doc, QSize(200, 200));
    QCOMPARE(coords.Scale(), 2.0f);

    const FloatPoint page = coords.PixelToPage(20, 10);
    QCOMPARE(page.x, 0.0f);
    QCOMPARE(page.y, 25.0f);
    const PixelPoint pixel = coords.PageToPixel(0, 25);
    QCOMPARE(pixel.x, 20);
    QCOMPARE(pixel.y, 10);
    // 25 mm above the axes is 2.5 units above the origin: data 4.5, shown 4500.
    const FloatPoint shown = coords.PageToShown(page.x, page.y);
    QCOMPARE(shown.x, 1000.0f);
    QCOMPARE(shown.y, 4500.0f);
    const FloatPoint back = coords.ShownToPage(shown.x, shown.y);
    QCOMPARE(back.x, 0.0f);
    QCOMPARE(back.y, 25.0f);
    QCOMPARE(coords.DataToShown(0.5f, -1).x, 500.0f);
    QCOMPARE(coords.DataToShown(0.5f, -1).y, -1000.0f);
    // Truncated toward zero, like the drawing.
    QCOMPARE(coords.PageToPixel(0.74f, 25).x, 21);
}

// CH1 in columns 0-1 at (0, 0), (1, 1), (2, 2); CH2 in columns 2-3 at
// (1, 1.01), (5, 5). Multipliers 1.
void TestViewLogic::findPoint_data() {
    QTest::addColumn<int>("display");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("tolerance");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("yCol");
    QTest::addColumn<float>("distanceOut");

    QTest::newRow("exact hit on CH1") << 3 << 2.0f << 2.0f << 0.02f << true << 2 << 1 << 0.0f;
    QTest::newRow("CH1 searched before CH2")
        << 3 << 1.0f << 1.01f << 0.02f << true << 1 << 1 << 0.01f;
    QTest::newRow("CH2 alone displayed, from columns 2-3")
        << 2 << 1.0f << 1.01f << 0.02f << true << 0 << 3 << 0.0f;
    QTest::newRow("first row within tolerance wins, not the nearest")
        << 1 << 0.5f << 0.5f << 1.0f << true << 0 << 1 << 0.70710677f;
    QTest::newRow("miss reports the smallest distance")
        << 3 << 3.0f << 2.0f << 0.02f << false << -1 << -1 << 1.0f;
    QTest::newRow("distance equal to the tolerance is a miss")
        << 1 << 3.0f << 2.0f << 1.0f << false << -1 << -1 << 1.0f;
    QTest::newRow("edges never searched")
        << 64 << 7.0f << 7.0f << 0.02f << false << -1 << -1 << kNoValue;
    QTest::newRow("code sheet searches nothing")
        << 0 << 0.0f << 0.0f << 0.02f << false << -1 << -1 << kNoValue;
}

void TestViewLogic::findPoint() {
    QFETCH(int, display);
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, tolerance);
    QFETCH(bool, found);
    QFETCH(int, row);
    QFETCH(int, yCol);
    QFETCH(float, distanceOut);

    CZbApp app;
    CZbDoc doc(&app);
    doc.m_nChannels = 3;
    doc.m_nDisplay = static_cast<std::int16_t>(display);
    doc.m_nPoints = 3;
    for (int i = 0; i < 3; ++i)
        doc.m_fT[i][0] = doc.m_fT[i][1] = float(i);
    doc.m_fT[0][2] = 1;
    doc.m_fT[0][3] = 1.01f;
    doc.m_fT[1][2] = 5;
    doc.m_fT[1][3] = 5;
    doc.m_fT[0][4] = doc.m_fT[0][5] = 7; // an edge

    std::int16_t foundRow = -1, xc = -1, yc = -1;
    float t = tolerance;
    QCOMPARE(FindPoint(doc, x, y, &t, &foundRow, &xc, &yc), found);
    QCOMPARE(int(foundRow), row);
    QCOMPARE(int(yc), yCol);
    if (found) QCOMPARE(int(xc), yCol - 1);
    QVERIFY2(qAbs(t - distanceOut) < 1e-4f || (IsNoValue(t) && IsNoValue(distanceOut)),
             qPrintable(QString::number(t)));
}

// Samples past m_nPoints are still searched, up to the last row of the
// table, and a stored capacity beyond the table is not trusted.
void TestViewLogic::findPointSearchesTheWholeTable() {
    CZbApp app;
    CZbDoc doc(&app);
    doc.m_nDisplay = 1;
    doc.m_nPoints = 10;
    doc.m_fT[4999][0] = 3;
    doc.m_fT[4999][1] = 4;
    doc.m_nCapacity = 32000;
    std::int16_t row = -1, xc = -1, yc = -1;
    float t = 0.5f;
    QVERIFY(FindPoint(doc, 3, 4.1f, &t, &row, &xc, &yc));
    QCOMPARE(int(row), 4999);
}

void TestViewLogic::stepRow_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("expected");
    QTest::newRow("left from row 0 wraps to m_nPoints") << 0 << 10 << -1 << 10;
    QTest::newRow("left again") << 10 << 10 << -1 << 9;
    QTest::newRow("right reaches m_nPoints") << 9 << 10 << 1 << 10;
    QTest::newRow("right past m_nPoints wraps to 0") << 10 << 10 << 1 << 0;
    QTest::newRow("repeat count") << 1 << 10 << -3 << 9;
    QTest::newRow("full table") << 0 << 5000 << -1 << 5000;
    QTest::newRow("row left over from a longer acquisition") << 40 << 10 << 1 << 0;
    QTest::newRow("no samples") << 0 << 0 << 1 << 0;
}

void TestViewLogic::stepRow() {
    QFETCH(int, row);
    QFETCH(int, points);
    QFETCH(int, steps);
    QFETCH(int, expected);
    QCOMPARE(int(StepRow(std::int16_t(row), std::int16_t(points), steps)), expected);
}

// After an acquisition of 5000 rows the left arrow on row 0 selects row 5000,
// one past the table: nothing is read there and the readout stays; the next
// press reads row 4999.
void TestViewLogic::arrowsOverAFullTableNeverLeaveIt() {
    CZbApp app;
    CZbDoc doc(&app);
    doc.m_nDisplay = 1;
    doc.m_nPoints = 5000;
    for (int i = 0; i < 5000; ++i) {
        doc.m_fT[i][0] = float(i);
        doc.m_fT[i][1] = 1;
    }
    const CViewCoords coords(doc, QSize(540, 380));
    CViewCursor cursor;
    cursor.m_bClickFound = 1;
    cursor.m_nSelXCol = 0;
    cursor.m_nSelYCol = 1;
    cursor.m_nSelRow = 0;
    app.m_fRefX = app.m_fMouseX = 0;
    app.m_fRefY = app.m_fMouseY = 1;

    QVERIFY(cursor.StepSelection(doc, app, coords, -1).isEmpty());
    QCOMPARE(int(cursor.m_nSelRow), 5000);
    QCOMPARE(app.m_fRefX, 0.0f);
    QVERIFY(!cursor.StepSelection(doc, app, coords, -1).isEmpty());
    QCOMPARE(int(cursor.m_nSelRow), 4999);
    QCOMPARE(app.m_fRefX, 4999.0f);
    QCOMPARE(app.m_fMouseX, 4999.0f);

    float x = 0, y = 0;
    QVERIFY(!ReadSample(doc, 0, 1, 5000, &x, &y));
    QVERIFY(!ReadSample(doc, 0, 6, 0, &x, &y));
    QVERIFY(!ReadSample(doc, 0, 1, -1, &x, &y));
}

// On a 270 x 190 mm page in a 270 x 190 pixel client, one pixel is one mm
// and, with the default graph transform, one shown unit.
void TestViewLogic::plainClickMissAndHit() {
    CZbApp app;
    CZbDoc doc(&app);
    doc.m_nDisplay = 1;
    doc.m_nPoints = 1;
    doc.m_fT[0][0] = 100;
    doc.m_fT[0][1] = 90;
    const CViewCoords coords(doc, QSize(270, 190));
    CViewCursor cursor;

    // Far from the sample: the click itself becomes the reference.
    QRect dirty = cursor.PlainClick(doc, app, coords, 10, 180);
    QCOMPARE(cursor.m_bClickFound, 0);
    QCOMPARE(app.m_fRefX, 10.0f);
    QCOMPARE(app.m_fRefY, 10.0f);
    QCOMPARE(MouseReadout(doc, app), QStringLiteral("dx:   0.000, dy:   0.000"));
    QCOMPARE(int(cursor.m_nSelRow), -1);
    QCOMPARE(dirty, QRect(QPoint(-50, -25), QPoint(60, 185)));
    QCOMPARE(doc.m_pRegressions->m_fTolerance, 0.02f);

    // Within the tolerance of the sample: the sample becomes the reference.
    doc.m_pRegressions->m_fTolerance = 2;
    dirty = cursor.PlainClick(doc, app, coords, 101, 100);
    QCOMPARE(cursor.m_bClickFound, 1);
    QCOMPARE(app.m_fRefX, 100.0f);
    QCOMPARE(app.m_fRefY, 90.0f);
    QCOMPARE(int(cursor.m_nSelRow), 0);
    QCOMPARE(int(app.m_nMarkX), 101);
    QCOMPARE(doc.m_pRegressions->m_fTolerance, 2.0f); // not overwritten by the distance

    CViewCursor::MouseMove(coords, app, 103, 99);
    QCOMPARE(MouseReadout(doc, app), QStringLiteral("dx:   3.000, dy:   1.000"));
}

void TestViewLogic::readout_data() {
    QTest::addColumn<int>("display");
    QTest::addColumn<float>("refX");
    QTest::addColumn<float>("refY");
    QTest::addColumn<int>("refPixelX");
    QTest::addColumn<QString>("expected");
    QTest::newRow("absolute") << 1 << kNoValue << kNoValue << 0
                              << QStringLiteral("x:   1.500, y: -22.250");
    QTest::newRow("one coordinate set is a reference")
        << 1 << 1.0f << kNoValue << 0 << QStringLiteral("dx:   0.500, dy:-10000000000.000");
    QTest::newRow("difference") << 0 << 1.0f << -2.25f << 0
                                << QStringLiteral("dx:   0.500, dy: -20.000");
    QTest::newRow("image, white pixel")
        << 32 << 1.0f << 1.0f << 0 << QStringLiteral("X:10, Y:20, R:255, V:255, B:255");
    QTest::newRow("image, against a reference pixel")
        << 32 << 1.0f << 1.0f << 4 << QStringLiteral("dX:6, dY:20, dR:0, dV:0, dB:0");
}

void TestViewLogic::readout() {
    QFETCH(int, display);
    QFETCH(float, refX);
    QFETCH(float, refY);
    QFETCH(int, refPixelX);
    QFETCH(QString, expected);
    CZbApp app;
    CZbDoc doc(&app);
    doc.m_nDisplay = std::int16_t(display);
    app.m_fMouseX = 1.5f;
    app.m_fMouseY = -22.25f;
    app.m_nMouseX = 10;
    app.m_nMouseY = 20;
    app.m_fRefX = refX;
    app.m_fRefY = refY;
    app.m_nRefPixelX = std::int16_t(refPixelX);
    QCOMPARE(MouseReadout(doc, app), expected);
    app.m_nMouseX = 768; // past the image's right edge
    if (display == 32) QCOMPARE(MouseReadout(doc, app), QString());
}

void TestViewLogic::displaySelection() {
    // CH2 and REF1 hold data.
    QVERIFY(!DisplayBoxEnabled(DisplayType::Graph, 6, 1));
    QVERIFY(DisplayBoxEnabled(DisplayType::Graph, 6, 2));
    QVERIFY(DisplayBoxEnabled(DisplayType::Graph, 6, 4));
    QVERIFY(!DisplayBoxEnabled(DisplayType::Graph, 6, 16));
    QVERIFY(DisplayBoxEnabled(DisplayType::Graph, 0, 64));
    QVERIFY(!DisplayBoxEnabled(DisplayType::CodeSheet, 31, 1));
    QVERIFY(!DisplayBoxEnabled(DisplayType::Image, 31, 64));

    QCOMPARE(int(DisplayFromSelection(DisplayType::Graph, 0)), 0);
    QCOMPARE(int(DisplayFromSelection(DisplayType::Graph, 1 | 64)), 65);
    QCOMPARE(int(DisplayFromSelection(DisplayType::CodeSheet, 3)), 0);
    QCOMPARE(int(DisplayFromSelection(DisplayType::Image, 3)), 32);

    CZbApp app;
    CZbDoc doc(&app);
    // The preset checks: the selection itself up to 16 (MATH alone), the
    // channels that hold data above it; the edges as shown.
    doc.m_nChannels = 3 | 16;
    const struct {
        int display;
        int checks;
    } presets[] = {{2, 2}, {16, 16}, {17, 3 | 16}, {64 + 1, 64 + 3 + 16}, {32, 3 | 16}};
    for (const auto& preset : presets) {
        doc.m_nDisplay = std::int16_t(preset.display);
        QVERIFY2(int(InitialGraphChecks(doc)) == preset.checks,
                 qPrintable(QString::number(preset.display)));
    }

    doc.m_pRegressions->m_bComputed[1] = 1;
    doc.m_pRegressions->m_fTolerance = 0.5f;
    ApplyDisplaySelection(doc, app, 3);
    QCOMPARE(int(doc.m_nDisplay), 3);
    QCOMPARE(doc.m_pRegressions->m_bComputed[1], 0);
    QCOMPARE(doc.m_pRegressions->m_fTolerance, 0.5f);
    QCOMPARE(app.m_fRefX, 0.0f);
    QCOMPARE(app.m_fRefY, 0.0f);
}

void TestViewLogic::graphRule_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("display");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("no samples") << 0 << 1 << false;
    QTest::newRow("code sheet") << 10 << 0 << false;
    QTest::newRow("image") << 10 << 32 << false;
    QTest::newRow("image bit with a curve bit shows the image") << 10 << 33 << false;
    QTest::newRow("graph") << 10 << 1 << true;
    QTest::newRow("edges alone") << 10 << 64 << true;
}

void TestViewLogic::graphRule() {
    QFETCH(int, points);
    QFETCH(int, display);
    QFETCH(bool, enabled);
    CZbApp app;
    CZbDoc doc(&app);
    doc.m_nPoints = std::int16_t(points);
    doc.m_nDisplay = std::int16_t(display);
    QCOMPARE(GraphRule(doc), enabled);
    QCOMPARE(CommandEnabled(CommandRule::Graph, doc), enabled);
    QVERIFY(CommandEnabled(CommandRule::Always, doc));
    QVERIFY(!CommandChecked(CommandTool::Zoom, doc));
    doc.m_bZoomOpen = 1;
    QVERIFY(CommandChecked(CommandTool::Zoom, doc));
    QVERIFY(!CommandChecked(CommandTool::Extraction, doc));
}

// Direct port access follows the raw I/O capability (on x86), as the kernel
// reports it, with it and without it.
void TestViewLogic::portAccessAsTheKernelSays() {
#if defined(__i386__) || defined(__x86_64__)
    bool capable = false;
    QVERIFY(RawIoCapability(&capable));
    QCOMPARE(PortIoPossible(), capable);
    if (!capable) QSKIP("the process may not take the raw I/O capability back");
    const bool off = false, on = true;
    bool ignored = false;
    QVERIFY(RawIoCapability(&ignored, &off));
    const bool without = PortIoPossible();
    QVERIFY(RawIoCapability(&ignored, &on));
    QVERIFY(!without);
    QVERIFY(PortIoPossible());
#else
    QVERIFY(!PortIoPossible());
#endif
}

QTEST_GUILESS_MAIN(TestViewLogic)
#include "tst_viewlogic.moc"
