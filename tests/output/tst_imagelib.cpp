// Images read back from real TIFF and JPEG files.

#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include "output/imagelib.h"

class TestImageLib : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;

    QString write(const QImage& image, const char* name, const char* format, int quality = -1) {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QImageWriter writer(path, format);
        if (quality >= 0) writer.setQuality(quality);
        if (!writer.write(image)) return QString();
        return path;
    }

  private slots:
    void colourTiff() {
        QImage image(5, 3, QImage::Format_RGB888);
        image.fill(Qt::white);
        image.setPixel(1, 2, qRgb(0x12, 0x34, 0x56));
        image.setPixel(4, 0, qRgb(255, 0, 0));
        const QString path = write(image, "colour.tif", "tiff");
        QVERIFY(!path.isEmpty());

        ImageInfo info;
        QCOMPARE(CImage::ReadTiffInfo(path, &info), 0);
        QCOMPARE(info.width, 5);
        QCOMPARE(info.height, 3);
        QCOMPARE(info.bitsPerPixel, 24);

        CImage loaded;
        QCOMPARE(loaded.Allocate(info.width, info.height, info.bitsPerPixel), 0);
        QCOMPARE(loaded.LoadTiff(path), 0);
        // 0x00BBGGRR: red in the low byte.
        QCOMPARE(loaded.Pixel(1, 2), 0x563412u);
        QCOMPARE(loaded.Pixel(4, 0), 0x0000FFu);
        QCOMPARE(loaded.Pixel(0, 0), 0xFFFFFFu);
        QCOMPARE(loaded.BitsPerPixel(), 24);
    }

    void greyTiff() {
        QImage image(4, 4, QImage::Format_Grayscale8);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                image.setPixel(x, y, qRgb(x * 60 + y, x * 60 + y, x * 60 + y));
        const QString path = write(image, "grey.tif", "tiff");
        QVERIFY(!path.isEmpty());
        ImageInfo info;
        QCOMPARE(CImage::ReadTiffInfo(path, &info), 0);
        QCOMPARE(info.bitsPerPixel, 8);
        CImage loaded;
        QCOMPARE(loaded.LoadTiff(path), 0);
        // Grey images answer with the level itself.
        QCOMPARE(loaded.Pixel(0, 0), 0u);
        QCOMPARE(loaded.Pixel(3, 2), 182u);
        QCOMPARE(loaded.Pixel(2, 3), 123u);
    }

    void jpeg() {
        QImage image(16, 8, QImage::Format_RGB888);
        image.fill(QColor(200, 40, 10));
        const QString path = write(image, "photo.jpg", "jpeg", 100);
        QVERIFY(!path.isEmpty());
        ImageInfo info;
        QCOMPARE(CImage::ReadJpegInfo(path, &info), 0);
        QCOMPARE(info.width, 16);
        QCOMPARE(info.height, 8);
        QCOMPARE(info.bitsPerPixel, 24);
        CImage loaded;
        QCOMPARE(loaded.LoadJpeg(path), 0);
        const quint32 pixel = loaded.Pixel(5, 5);
        // JPEG is lossy: each component within a few levels.
        QVERIFY(qAbs(int(pixel & 0xFF) - 200) <= 4);
        QVERIFY(qAbs(int((pixel >> 8) & 0xFF) - 40) <= 4);
        QVERIFY(qAbs(int((pixel >> 16) & 0xFF) - 10) <= 4);
    }

    void unreadableFiles() {
        const QString notAnImage = m_dir.filePath(QStringLiteral("text.tif"));
        QFile file(notAnImage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        ImageInfo info;
        QVERIFY(CImage::ReadTiffInfo(notAnImage, &info) != 0);
        QVERIFY(CImage::ReadJpegInfo(m_dir.filePath(QStringLiteral("absent.jpg")), &info) != 0);
        CImage image;
        QVERIFY(image.LoadJpeg(notAnImage) != 0);
        QCOMPARE(image.Pixel(0, 0), 0u);
    }

    void fillAndBounds() {
        CImage image;
        QCOMPARE(image.Allocate(3, 2, 8), 0);
        image.Fill(128);
        QCOMPARE(image.Pixel(2, 1), 128u);
        QCOMPARE(image.Pixel(3, 0), 0u); // outside the image
        QCOMPARE(image.Pixel(-1, 0), 0u);
        QVERIFY(image.Allocate(0, 10, 24) != 0);
        image.Free();
        QVERIFY(image.IsNull());
    }
};

QTEST_GUILESS_MAIN(TestImageLib)
#include "tst_imagelib.moc"
