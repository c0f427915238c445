// The window's icon is the desktop's: the same picture at every theme size.

#include <QImage>
#include <QTest>

#include "app/programicon.h"

namespace {
// Saving to PNG undoes the premultiplied alpha of the antialiased edges, which
// may move a channel by a step or two.
constexpr int kTolerance = 2;

bool SamePicture(QImage a, QImage b) {
    a = a.convertToFormat(QImage::Format_ARGB32);
    b = b.convertToFormat(QImage::Format_ARGB32);
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > kTolerance ||
                std::abs(qGreen(p) - qGreen(q)) > kTolerance ||
                std::abs(qBlue(p) - qBlue(q)) > kTolerance ||
                std::abs(qAlpha(p) - qAlpha(q)) > kTolerance)
                return false;
        }
    return true;
}
} // namespace

class TestProgramIcon : public QObject {
    Q_OBJECT
  private slots:
    void everyThemeSize() {
        const QIcon icon = ProgramIcon();
        QList<QSize> expected;
        for (int size : kProgramIconSizes)
            expected << QSize(size, size);
        QCOMPARE(icon.availableSizes(), expected);
    }

    // The PNGs the build drew for the icon theme show what the window shows.
    void sameAsTheDesktopIcon_data() {
        QTest::addColumn<int>("size");
        for (int size : kProgramIconSizes)
            QTest::addRow("%d", size) << size;
    }
    void sameAsTheDesktopIcon() {
        QFETCH(int, size);
        const QImage theme(qEnvironmentVariable("LINEATIX_BUILD_DIR") +
                           QStringLiteral("/desktop/icons/lineatix-%1.png").arg(size));
        QVERIFY(!theme.isNull());
        const QImage window = ProgramIcon().pixmap(size, size).toImage();
        QVERIFY(SamePicture(window, theme));
        // Not blank: the page, the bars and the beam are drawn.
        QVERIFY(window.pixel(size / 2, size / 2) != window.pixel(0, 0));
    }
};

QTEST_MAIN(TestProgramIcon)
#include "tst_programicon.moc"
