// Reading TIFF and JPEG files made by real tools into the document, the
// pixel readout over them, a row of a photograph as a scan, and damaged files.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "imagetools.h"
#include "output/imageread.h"
#include "output/imagerow.h"
#include "testsupport.h"
#include "view/viewcursor.h"

namespace {

// A grey ramp: level = 10 x + y.
unsigned Ramp(int x, int y) {
    return unsigned(10 * x + y);
}

// Colour 0xRRGGBB varying with the position.
unsigned Colours(int x, int y) {
    return (unsigned(200 - 10 * x) << 16) | (unsigned(20 * y) << 8) | unsigned(5 * x + y);
}

// Bars of three colours side by side: indices into kThreeColours.
unsigned ThreeBars(int x, int) {
    return x < 4 ? 0 : x < 8 ? 1 : 2;
}
const QVector<unsigned> kThreeColours = {0xFF0000u, 0x00FF00u, 0x2040C0u};

// A picture with detail everywhere, so that its JPEG scan data are long.
unsigned Texture(int x, int y) {
    return (unsigned((x * 37 + y * 11) % 256) << 16) | (unsigned((x * y) % 256) << 8) |
           unsigned((x * 5 + y * 23) % 256);
}

QString Readout(CZbDoc& doc, CZbApp& app, int x, int y) {
    app.m_nMouseX = std::int16_t(x);
    app.m_nMouseY = std::int16_t(y);
    return MouseReadout(doc, app);
}

} // namespace

class TestImageRead : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;
    QTemporaryDir m_runtime;
    QString m_greyTiff, m_colourTiff, m_colourJpeg, m_greyJpeg, m_paletteTiff, m_grey16Tiff;
    QString m_textureJpeg, m_progressiveJpeg;

    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        m_greyTiff = MakeTiff(Path("rampe.tif"), NetpbmImage(20, 12, false, Ramp));
        m_colourTiff = MakeTiff(Path("Couleurs.TIF"), NetpbmImage(16, 10, true, Colours));
        m_colourJpeg = MakeJpeg(Path("photo.jpg"),
                                NetpbmImage(16, 10, true, [](int, int) { return 0x20C040u; }));
        m_greyJpeg =
            MakeJpeg(Path("gris.jpg"), NetpbmImage(8, 8, false, [](int, int) { return 77u; }));
        m_paletteTiff = MakePaletteTiff(Path("palette.tif"), 12, 4, ThreeBars, kThreeColours);
        m_grey16Tiff = MakeGrey16Tiff(Path("gris16.tif"), 20, 12,
                                      [](int x, int y) { return 257u * Ramp(x, y); });
        m_textureJpeg = MakeJpeg(Path("texture.jpg"), NetpbmImage(64, 48, true, Texture), 90);
        m_progressiveJpeg =
            MakeJpeg(Path("progressif.jpg"), NetpbmImage(64, 48, true, Texture), 90, true);
        QVERIFY(!m_greyTiff.isEmpty() && !m_colourTiff.isEmpty());
        QVERIFY(!m_colourJpeg.isEmpty() && !m_greyJpeg.isEmpty());
        QVERIFY(!m_paletteTiff.isEmpty() && !m_grey16Tiff.isEmpty());
        QVERIFY(!m_textureJpeg.isEmpty() && !m_progressiveJpeg.isEmpty());
        // The tools made what the tests are about.
        QVERIFY(RunProgram(QStringLiteral("tiffinfo"), {m_paletteTiff})
                    .out.contains("Photometric Interpretation: palette color"));
        QVERIFY(
            RunProgram(QStringLiteral("tiffinfo"), {m_grey16Tiff}).out.contains("Bits/Sample: 16"));
    }

    // The reader is chosen by ".tif", then ".jpg", anywhere in the
    // lower-cased path.
    void kindOfPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::newRow(".tiff") << "/images/code.tiff" << int(ImageFileKind::Tiff);
        QTest::newRow(".tif.jpg") << "code.tif.jpg" << int(ImageFileKind::Tiff);
        QTest::newRow("upper case") << "C:/SCAN.JPG" << int(ImageFileKind::Jpeg);
        QTest::newRow(".jpg in a folder") << "/a.jpg/code.bmp" << int(ImageFileKind::Jpeg);
        QTest::newRow(".jpeg is not .jpg") << "code.jpeg" << int(ImageFileKind::Unknown);
        QTest::newRow("png") << "code.png" << int(ImageFileKind::Unknown);
    }
    void kindOfPath() {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QCOMPARE(int(ImageFileKindOf(path)), kind);
    }

    // Each format and depth: size, depth and pixels as the tools wrote them;
    // image mode and the lower-cased path as the document's name.
    void readsRealFiles() {
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(ReadImageFile(doc, m_greyTiff), 0);
        QCOMPARE(int(doc.m_nDisplay), 32);
        QCOMPARE(int(doc.m_nImageWidth), 20);
        QCOMPARE(int(doc.m_nImageHeight), 12);
        QCOMPARE(int(doc.m_nImageBits), 8);
        QCOMPARE(Readout(doc, app, 3, 7), QStringLiteral("X:3, Y:7, W:37"));
        QCOMPARE(Readout(doc, app, 19, 11), QStringLiteral("X:19, Y:11, W:201"));

        // The file is opened by its own name; only the tests and the title
        // use the lower-cased path.
        QCOMPARE(ReadImageFile(doc, m_colourTiff), 0);
        QCOMPARE(doc.m_strFileName, m_colourTiff.toLower());
        QCOMPARE(int(doc.m_nImageBits), 24);
        QCOMPARE(int(doc.m_nImageWidth), 16);
        QCOMPARE(Readout(doc, app, 2, 3), QStringLiteral("X:2, Y:3, R:180, V:60, B:13"));

        QCOMPARE(ReadImageFile(doc, m_greyJpeg), 0);
        QCOMPARE(int(doc.m_nImageBits), 8);
        QCOMPARE(Readout(doc, app, 4, 4), QStringLiteral("X:4, Y:4, W:77"));

        QCOMPARE(ReadImageFile(doc, m_colourJpeg), 0);
        QCOMPARE(int(doc.m_nImageBits), 24);
        const QString readout = Readout(doc, app, 5, 5);
        QVERIFY2(readout.startsWith(QStringLiteral("X:5, Y:5, R:")), qPrintable(readout));
        const QStringList parts = readout.split(QStringLiteral(", "));
        // JPEG is lossy: each component within a few levels of 0x20C040.
        QVERIFY(qAbs(parts[2].mid(2).toInt() - 0x20) <= 3);
        QVERIFY(qAbs(parts[3].mid(2).toInt() - 0xC0) <= 3);
        QVERIFY(qAbs(parts[4].mid(2).toInt() - 0x40) <= 3);
    }

    // A colour-mapped TIFF keeps its colours (24-bit readout); a 16-bit grey
    // TIFF is grey, 8 bits a pixel.
    void paletteAndSixteenBitTiffs() {
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(ReadImageFile(doc, m_paletteTiff), 0);
        QCOMPARE(int(doc.m_nImageBits), 24);
        QCOMPARE(Readout(doc, app, 1, 1), QStringLiteral("X:1, Y:1, R:255, V:0, B:0"));
        QCOMPARE(Readout(doc, app, 5, 2), QStringLiteral("X:5, Y:2, R:0, V:255, B:0"));
        QCOMPARE(Readout(doc, app, 11, 3), QStringLiteral("X:11, Y:3, R:32, V:64, B:192"));

        QCOMPARE(ReadImageFile(doc, m_grey16Tiff), 0);
        QCOMPARE(int(doc.m_nImageBits), 8);
        QCOMPARE(int(doc.m_nImageWidth), 20);
        QCOMPARE(Readout(doc, app, 3, 7), QStringLiteral("X:3, Y:7, W:37"));
        QCOMPARE(Readout(doc, app, 19, 11), QStringLiteral("X:19, Y:11, W:201"));
    }

    // Whole JPEG files load, progressive ones and those with bytes after their
    // end marker included.
    void completeJpegsLoad() {
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(ReadImageFile(doc, m_progressiveJpeg), 0);
        QCOMPARE(int(doc.m_nImageWidth), 64);
        const QString trailing = Path("suivi.jpg");
        QFile file(trailing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ReadFileBytes(m_textureJpeg) + QByteArray("donnees apres la fin"));
        file.close();
        QCOMPARE(ReadImageFile(doc, trailing), 0);
        QCOMPARE(int(doc.m_nImageHeight), 48);
    }

    // Differences to the reference pixel; a click on (0, 0) is no reference;
    // a reference left outside a smaller image counts as none; nothing
    // beyond the right or bottom edge.
    void readoutAgainstTheReference() {
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(ReadImageFile(doc, m_colourTiff), 0);
        CViewCursor::SetReferencePixel(app, 10, 8);
        QCOMPARE(Readout(doc, app, 2, 3), QStringLiteral("dX:-8, dY:-5, dR:80, dV:-100, dB:-45"));
        CViewCursor::SetReferencePixel(app, 0, 0);
        QCOMPARE(Readout(doc, app, 2, 3), QStringLiteral("X:2, Y:3, R:180, V:60, B:13"));

        QCOMPARE(ReadImageFile(doc, m_greyTiff), 0);
        CViewCursor::SetReferencePixel(app, 1, 1);
        QCOMPARE(Readout(doc, app, 3, 7), QStringLiteral("dX:2, dY:6, dW:26"));
        CViewCursor::SetReferencePixel(app, 500, 300); // clicked on the white start image
        QCOMPARE(Readout(doc, app, 3, 7), QStringLiteral("X:3, Y:7, W:37"));
        QCOMPARE(Readout(doc, app, 20, 0), QString());
        QCOMPARE(Readout(doc, app, 0, 12), QString());
        QCOMPARE(Readout(doc, app, -1, 0), QString());
    }

    // A file that cannot be read leaves the image there was; the view still
    // switches to it, named after the chosen path.
    void failedReadsKeepThePreviousImage_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("unknown kind") << "code.png" << ReadFileBytes(m_greyTiff);
        QTest::newRow("text named .tif") << "texte.tif" << QByteArray("pas une image");
        QTest::newRow("JPEG named .tif") << "Faux.tif" << ReadFileBytes(m_colourJpeg);
        QTest::newRow("TIFF cut after its header")
            << "coupe.tif" << ReadFileBytes(m_colourTiff).left(16);
        QTest::newRow("JPEG cut in its header")
            << "coupe.jpg" << ReadFileBytes(m_colourJpeg).left(100);
        // The decoder makes the missing part grey and only warns.
        const QByteArray texture = ReadFileBytes(m_textureJpeg);
        QTest::newRow("JPEG cut in its scan data")
            << "tronque.jpg" << texture.left(texture.size() * 2 / 3);
        QTest::newRow("JPEG cut in its scan data, end marker put back")
            << "tronque2.jpg" << texture.left(texture.size() * 2 / 3) + QByteArray("\xFF\xD9");
        const QByteArray progressive = ReadFileBytes(m_progressiveJpeg);
        QTest::newRow("progressive JPEG cut")
            << "tronque3.jpg" << progressive.left(progressive.size() * 3 / 4);
        QTest::newRow("missing file") << "absent.jpg" << QByteArray();
    }
    void failedReadsKeepThePreviousImage() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath(name);
        if (!bytes.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(ReadImageFile(doc, m_greyTiff), 0);
        QVERIFY(ReadImageFile(doc, path) != 0);
        QCOMPARE(int(doc.m_nDisplay), 32);
        QCOMPARE(doc.m_strFileName, path.toLower());
        QCOMPARE(int(doc.m_nImageWidth), 20);
        QCOMPARE(int(doc.m_nImageHeight), 12);
        QCOMPARE(int(doc.m_nImageBits), 8);
        QCOMPARE(Readout(doc, app, 3, 7), QStringLiteral("X:3, Y:7, W:37"));
    }

    // What is not a regular file is refused at once, through the reader and
    // the batch command: a FIFO (or a link to one) would block the reader
    // until something wrote to it.
    void nonRegularFilesAreRefused() {
        const QString fifo = Path("x.tif");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString link = Path("lien.jpg");
        QVERIFY(QFile::link(fifo, link));
        const QString folder = Path("dossier.tif");
        QVERIFY(QDir().mkpath(folder));

        // A reader wrongly waiting on the FIFO is let go after a while, so
        // that the test fails rather than hangs.
        std::mutex lock;
        std::condition_variable finished;
        bool done = false;
        std::thread release([&] {
            std::unique_lock<std::mutex> guard(lock);
            while (!done) {
                if (finished.wait_for(guard, std::chrono::seconds(3)) == std::cv_status::timeout) {
                    const int fd =
                        ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0) ::close(fd);
                }
            }
        });
        CZbApp app;
        CZbDoc doc(&app);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(ReadImageFile(doc, m_greyTiff), 0);
        const int fifoStatus = ReadImageFile(doc, fifo);
        const int linkStatus = ReadImageFile(doc, link);
        const int folderStatus = ReadImageFile(doc, folder);
        const qint64 elapsed = clock.elapsed();
        {
            std::lock_guard<std::mutex> guard(lock);
            done = true;
        }
        finished.notify_all();
        release.join();
        QVERIFY2(elapsed < 2000, qPrintable(QString::number(elapsed)));
        QVERIFY(fifoStatus != 0 && linkStatus != 0 && folderStatus != 0);
        QCOMPARE(int(doc.m_nImageWidth), 20);
        QCOMPARE(int(doc.m_nDisplay), 32);

        const ProcessResult result = RunProgram(
            qEnvironmentVariable("LINEATIX_EXE"),
            {QStringLiteral("--image-row"), QStringLiteral("3"), fifo}, QString(), 10000);
        QCOMPARE(result.exitCode, 1);
        QVERIFY(QString::fromLocal8Bit(result.err).contains(QStringLiteral("Erreur de lecture !")));
    }

    // Bytes of real files cut, spliced and overwritten at random: every read
    // ends with a status, and an image that loads answers within its bounds.
    void damagedFilesNeverCrash() {
        const QByteArray sources[] = {ReadFileBytes(m_colourTiff),  ReadFileBytes(m_greyTiff),
                                      ReadFileBytes(m_colourJpeg),  ReadFileBytes(m_greyJpeg),
                                      ReadFileBytes(m_paletteTiff), ReadFileBytes(m_textureJpeg)};
        const char* names[] = {"m.tif", "m.tif", "m.jpg", "m.jpg", "m.tif", "m.jpg"};
        constexpr int kSources = 6;
        QRandomGenerator random(20261210);
        CZbApp app;
        CZbDoc doc(&app);
        int loaded = 0;
        for (int round = 0; round < 480; ++round) {
            const int k = round % kSources;
            QByteArray bytes = sources[k];
            switch (random.bounded(3)) {
            case 0: // cut
                bytes.truncate(random.bounded(bytes.size()));
                break;
            case 1: { // splice a piece of another file in
                const QByteArray& other = sources[random.bounded(kSources)];
                const int from = random.bounded(other.size());
                bytes.insert(random.bounded(bytes.size()), other.mid(from, random.bounded(1, 64)));
                break;
            }
            default: // overwrite a few bytes
                for (int n = random.bounded(1, 9); n > 0; --n)
                    bytes[random.bounded(bytes.size())] = char(random.bounded(256));
            }
            const QString path = m_dir.filePath(QString::fromLatin1(names[k]));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
            if (ReadImageFile(doc, path) == 0) ++loaded;
            QVERIFY(doc.m_nImageWidth > 0 && doc.m_nImageHeight > 0);
            QCOMPARE(doc.m_pImage->Width(), int(doc.m_nImageWidth));
            QCOMPARE(doc.m_pImage->Height(), int(doc.m_nImageHeight));
            Readout(doc, app, doc.m_nImageWidth - 1, doc.m_nImageHeight - 1);
            QString error;
            QVERIFY(WriteImageRow(doc, doc.m_nImageHeight - 1, &error));
        }
        qInfo("%d of 480 damaged files still loaded", loaded);
    }

    // A 24-megapixel photograph loads and answers to its far corner.
    void largePhotographLoads() {
        const QString path =
            MakeJpeg(Path("grande.jpg"),
                     NetpbmImage(6000, 4000, true,
                                 [](int x, int) { return x < 3000 ? 0x000000u : 0xFFFFFFu; }),
                     75);
        QVERIFY(!path.isEmpty());
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(ReadImageFile(doc, path), 0);
        QCOMPARE(int(doc.m_nImageWidth), 6000);
        QCOMPARE(int(doc.m_nImageHeight), 4000);
        QCOMPARE(Readout(doc, app, 5999, 3999),
                 QStringLiteral("X:5999, Y:3999, R:255, V:255, B:255"));

        // Wider than the sample table: averaged in pairs of columns.
        QString error;
        QVERIFY(WriteImageRow(doc, 2000, &error));
        QCOMPARE(int(doc.m_nPoints), 3000);
        QCOMPARE(doc.m_astrLegend.value(0),
                 QStringLiteral("IMAGE grande.jpg - LIGNE 2000 - 1 POINT/2 PIXELS"));
        QCOMPARE(doc.m_fT[1][0], 2.0f);
        QCOMPARE(doc.m_fT[2999][0], 5998.0f);
        QCOMPARE(doc.m_fT[100][1], 5.0f);
        QCOMPARE(doc.m_fT[2000][1], 0.0f);
        QVERIFY(IsNoValue(doc.m_fT[3000][0]));
    }

    // The row as a photodiode sees it: dark high, sampled finer than its
    // pixels (as many samples from one pixel to the next as the table
    // allows, the level interpolated), in CH1 shown alone, with a legend
    // naming the image and the sampling, and the regressions reset.
    void rowAsAScan() {
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(ReadImageFile(doc, m_greyTiff), 0);
        doc.m_nChannels = kChannelCh1 | kChannelCh2;
        doc.m_fT[4999][4] = 1; // edges of an earlier analysis
        doc.m_pRegressions->m_bComputed[0] = 1;
        QString error;
        QVERIFY(WriteImageRow(doc, 5, &error));
        constexpr int kPerPixel = 4999 / 19; // 263
        QCOMPARE(int(doc.m_nPoints), 19 * kPerPixel + 1);
        QCOMPARE(int(doc.m_nChannels), 1);
        QCOMPARE(int(doc.m_nDisplay), 1);
        auto volts = [](double grey) { return float((255.0 - grey) * 5.0 / 255.0); };
        for (int x = 0; x < 20; ++x) {
            QCOMPARE(doc.m_fT[x * kPerPixel][0], float(x));
            QCOMPARE(doc.m_fT[x * kPerPixel][1], volts(10 * x + 5));
        }
        // Between two pixels the level goes linearly from one to the other.
        const int between = 7 * kPerPixel + 100;
        QCOMPARE(doc.m_fT[between][0], 7.0f + 100.0f / kPerPixel);
        QVERIFY(qAbs(doc.m_fT[between][1] - volts(75 + 10.0 * 100 / kPerPixel)) < 1e-5f);
        QVERIFY(IsNoValue(doc.m_fT[19 * kPerPixel + 1][0]) && IsNoValue(doc.m_fT[4999][4]));
        QCOMPARE(doc.m_astrLegend,
                 QStringList({QStringLiteral("IMAGE rampe.tif - LIGNE 5 - 263 POINTS/PIXEL"),
                              QStringLiteral("Nom(s)/Prénom(s):")}));
        QCOMPARE(doc.m_pRegressions->m_bComputed[0], 0);

        // Outside the image: a message and nothing changed.
        doc.m_nDisplay = kChannelImage;
        QVERIFY(!WriteImageRow(doc, 12, &error));
        QVERIFY(error.contains(QStringLiteral("12")));
        QVERIFY(!WriteImageRow(doc, -1, &error));
        QCOMPARE(int(doc.m_nDisplay), 32);
        QCOMPARE(int(doc.m_nPoints), 19 * kPerPixel + 1);
    }

    // The reference pixel's row, else the mouse's; none outside the image.
    void rowUnderTheCursor() {
        CZbApp app;
        CZbDoc doc(&app); // the 768 x 576 start image
        app.m_nMouseX = 100;
        app.m_nMouseY = 50;
        QCOMPARE(ImageRowUnderCursor(doc, app), 50);
        CViewCursor::SetReferencePixel(app, 10, 300);
        QCOMPARE(ImageRowUnderCursor(doc, app), 300);
        CViewCursor::SetReferencePixel(app, 10, 600);
        QCOMPARE(ImageRowUnderCursor(doc, app), 50);
        app.m_nMouseY = 576;
        QCOMPARE(ImageRowUnderCursor(doc, app), -1);
    }

    // zint draws an EAN-13, sharp, at 3 to 12 pixels a module; its middle
    // row, through the batch commands, decodes to the code zint drew.
    void zintCodeDecodesFromARow_data() {
        QTest::addColumn<double>("scale"); // zint's: pixels per half module
        QTest::newRow("3 pixels a module") << 1.5;
        QTest::newRow("8 pixels a module") << 4.0;
        QTest::newRow("12 pixels a module") << 6.0;
    }
    void zintCodeDecodesFromARow() {
        QFETCH(double, scale);
        const QString image = MakeZintEan13(Path("ean.tif"), QStringLiteral("978020137962"), scale);
        QVERIFY(!image.isEmpty());
        CZbApp app;
        CZbDoc doc(&app);
        QCOMPARE(ReadImageFile(doc, image), 0);
        const int row = doc.m_nImageHeight / 2;
        const QString scan = Path("ligne.cod");
        ProcessResult result = RunLineatix({QStringLiteral("--image-row"), QString::number(row),
                                            image, QStringLiteral("--save"), scan});
        QCOMPARE(result.err, QByteArray());
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.startsWith("IMAGE ean.tif - LIGNE "));
        result = RunLineatix({QStringLiteral("--decode"), scan});
        QVERIFY2(result.out.contains("Code barre extrait: 9780201379624"), result.out.constData());
        QCOMPARE(result.exitCode, 0);

        result = RunLineatix({QStringLiteral("--image-row"), QStringLiteral("99999"), image});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(!result.err.isEmpty());
        result =
            RunLineatix({QStringLiteral("--image-row"), QStringLiteral("3"), Path("absent.tif")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(QString::fromLocal8Bit(result.err).contains(QStringLiteral("Erreur de lecture !")));
        result = RunLineatix({QStringLiteral("--image-row"), QStringLiteral("trois"), image});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.err.startsWith("Usage: lineatix --image-row"));
    }
};

QTEST_GUILESS_MAIN(TestImageRead)
#include "tst_imageread.moc"
