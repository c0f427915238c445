// The .cod file, checked against bytes laid out by hand from the format:
// little-endian, no header, strings with a 1-byte / 0xFF+uint16 /
// 0xFF 0xFFFF+uint32 length prefix in Windows-1252.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {

// Independent little-endian writer for fixtures.
struct Bytes {
    QByteArray data;
    void u8(unsigned v) { data.append(char(v & 0xFF)); }
    void i16(int v) {
        u8(unsigned(v));
        u8(unsigned(v) >> 8);
    }
    void u32(quint32 v) {
        for (int i = 0; i < 4; ++i)
            u8(v >> (8 * i));
    }
    void f32(float v) {
        quint32 bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void f64(double v) {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        for (int i = 0; i < 8; ++i)
            u8(unsigned(bits >> (8 * i)));
    }
    void str(const QByteArray& raw) {
        u8(unsigned(raw.size()));
        data.append(raw);
    }
};

// The untouched document, written field by field.
QByteArray UntouchedDocumentBytes() {
    Bytes b;
    b.str("5410673004208");
    b.i16(5000); // capacity
    b.i16(0);    // rows
    b.f32(4.5f);
    b.f32(1.0f);
    b.i16(0); // display: code sheet
    b.i16(1); // channels: CH1
    b.f32(1.1f);
    const quint32 bars[8] = {0x000040, 0xFF0000, 0xFFFF00, 0x0000FF,
                             0x0000FF, 0x404040, 0x808080, 0x000000};
    const quint32 spaces[8] = {0xFFFF40, 0x00FF00, 0x00FFFF, 0xFFFFFF,
                               0x000000, 0xC0C0C0, 0xC0C0C0, 0xFFFFFF};
    float width = 0.6f;
    for (int k = 0; k < 8; ++k) {
        b.u32(bars[k]);
        b.u32(spaces[k]);
        b.f32(width);
        b.f32(width);
        width *= 1.1f;
    }
    b.i16(2);
    b.str("ACQ. OSCILLOSCOPE TEKTRONIX");
    b.str("Nom(s)/Pr\xE9nom(s):");
    b.f32(80.0f);
    b.f32(90.0f);
    for (int slot = 0; slot < 3; ++slot) {
        for (int k = 0; k < 8; ++k)
            b.f64(1e10);
        if (slot < 2) {
            b.f64(1e10); // the next slot's a0
        } else {
            b.f32(1e10f); // slot 0's first point, x and y
            b.f32(1e10f);
        }
        for (int k = 0; k < 2; ++k) {
            b.f32(1e10f);
            b.f32(1e10f);
            b.i16(-1);
            b.i16(-1);
            b.i16(-1);
            b.i16(0);
        }
        b.i16(0); // picking
        b.i16(0); // type
        b.i16(0); // computed
        b.i16(1); // draw
    }
    for (int i = 0; i < 5; ++i)
        b.i16(3);
    for (int i = 0; i < 4; ++i)
        b.u32(0);
    return b.data;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Offset of the rows field, after the 14-byte code string and the capacity.
constexpr int kRowsOffset = 16;
constexpr int kCapacityOffset = 14;
// End of the eight renderings, where the samples begin.
constexpr int kRenderingsEnd = 14 + 2 + 2 + 4 + 4 + 2 + 2 + 4 + 8 * 16;

// The untouched document claiming these counts, with that many rows of
// samples (all 0.5) after the renderings.
QByteArray WithCounts(const QByteArray& untouched, int capacity, int rows) {
    Bytes counts;
    counts.i16(capacity);
    counts.i16(rows);
    Bytes samples;
    for (int i = 0; i < rows * 6; ++i)
        samples.f32(0.5f);
    QByteArray bytes = untouched;
    bytes.replace(kCapacityOffset, 4, counts.data);
    bytes.insert(kRenderingsEnd, samples.data);
    return bytes;
}

} // namespace

class TestCodFile : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

  private slots:
    void untouchedDocumentByteForByte() {
        CZbApp app;
        CZbDoc doc(&app);
        QString error;
        QVERIFY(doc.Save(path("new.cod"), &error));
        const QByteArray expected = UntouchedDocumentBytes();
        const QByteArray written = ReadAll(path("new.cod"));
        QCOMPARE(written.size(), expected.size());
        QCOMPARE(written.toHex(), expected.toHex());
    }

    void roundTripKeepsEveryStoredField() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCode = QStringLiteral("9780201379624");
        doc.m_nPoints = 3;
        doc.m_nChannels = 3;
        doc.m_nDisplay = 64 + 1;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 6; ++c)
                doc.m_fT[r][c] = r * 10.0f + c + 0.25f;
        doc.m_fT[1][5] = kNoValue;
        doc.m_fCoef = 1.25f;
        doc.m_crBar[7] = 0x123456;
        doc.m_fSpace[3] = 0.75f;
        const QString longLine(255, QLatin1Char('x'));
        doc.m_astrLegend = {QStringLiteral("Élève: Zoé Œuvre — 5 €"), longLine, QString()};
        doc.m_fLegendX = -12.5f;
        doc.m_pRegressions->m_dCoef[1][2] = -3.5;
        doc.m_pRegressions->m_nType[2] = 4;
        doc.m_pRegressions->m_nPointRow[0][1] = 4999;
        doc.m_pRegressions->m_fPoint2[2][1] = 0.125f;
        doc.m_pRegressions->m_bDraw[1] = 0;
        QString error;
        QVERIFY(doc.Save(path("full.cod"), &error));

        // The 255-character line takes the 3-byte prefix 0xFF, 0xFF 0x00.
        const QByteArray bytes = ReadAll(path("full.cod"));
        QVERIFY(bytes.contains(QByteArray("\xFF\xFF\x00", 3) + QByteArray(255, 'x')));
        // Accented text is Windows-1252: "É" is the single byte 0xC9, "€" 0x80.
        QVERIFY(bytes.contains(QByteArray("\xC9l\xE8ve", 5)));
        QVERIFY(bytes.contains(QByteArray("5 \x80", 3)));

        CZbApp app2;
        CZbDoc loaded(&app2);
        loaded.m_pRegressions->m_nSlot = 2;
        loaded.m_pRegressions->m_fTolerance = 0.5f;
        QVERIFY2(loaded.Load(path("full.cod"), &error), qPrintable(error));
        QCOMPARE(loaded.m_strCode, doc.m_strCode);
        QCOMPARE(loaded.m_nPoints, std::int16_t(3));
        QCOMPARE(loaded.m_nChannels, std::int16_t(3));
        QCOMPARE(loaded.m_nDisplay, std::int16_t(65));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 6; ++c)
                QCOMPARE(loaded.m_fT[r][c], doc.m_fT[r][c]);
        QVERIFY(IsNoValue(loaded.m_fT[1][5]));
        QCOMPARE(loaded.m_fCoef, 1.25f);
        QCOMPARE(loaded.m_crBar[7], COLORREF(0x123456));
        QCOMPARE(loaded.m_fSpace[3], 0.75f);
        QCOMPARE(loaded.m_astrLegend, doc.m_astrLegend);
        QCOMPARE(loaded.m_fLegendX, -12.5f);
        QCOMPARE(loaded.m_pRegressions->m_dCoef[1][2], -3.5);
        QCOMPARE(loaded.m_pRegressions->m_nType[2], 4);
        QCOMPARE(loaded.m_pRegressions->m_nPointRow[0][1], 4999);
        QCOMPARE(loaded.m_pRegressions->m_fPoint2[2][1], 0.125f);
        QCOMPARE(loaded.m_pRegressions->m_bDraw[1], 0);
        // Not stored: the selected slot and the tolerance stay as they were.
        QCOMPARE(loaded.m_pRegressions->m_nSlot, 2);
        QCOMPARE(loaded.m_pRegressions->m_fTolerance, 0.5f);
    }

    void loadingClearsReferenceAndZoomAndKeepsRowsBeyond() {
        CZbApp writerApp;
        CZbDoc writer(&writerApp);
        writer.m_nPoints = 2;
        writer.m_fT[0][0] = 1.0f;
        writer.m_fT[1][0] = 2.0f;
        QString error;
        QVERIFY(writer.Save(path("two.cod"), &error));

        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nPoints = 5;
        for (int r = 0; r < 5; ++r)
            doc.m_fT[r][0] = 100.0f + r;
        app.m_fRefX = 3;
        app.m_fRefY = 4;
        doc.SetZoom(1, 2, 3, 4);
        QVERIFY(doc.Load(path("two.cod"), &error));
        QCOMPARE(doc.m_nPoints, std::int16_t(2));
        QCOMPARE(doc.m_fT[1][0], 2.0f);
        // Rows beyond the loaded count are left as they were.
        QCOMPARE(doc.m_fT[2][0], 102.0f);
        QCOMPARE(doc.m_fT[4][0], 104.0f);
        QVERIFY(IsNoValue(app.m_fRefX) && IsNoValue(app.m_fRefY));
        QCOMPARE(doc.m_fZoomX1, kNoValueLow);
        QCOMPARE(doc.m_fZoomY2, kNoValue);
    }

    void zeroRowsHasNoSampleBytes() {
        // Field 11 (legend count) follows the eight renderings directly.
        const QByteArray bytes = UntouchedDocumentBytes();
        QCOMPARE(int(bytes[kRenderingsEnd]), 2);
        QCOMPARE(int(bytes[kRenderingsEnd + 1]), 0);
        QVERIFY(WriteAll(path("zero.cod"), bytes));
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nPoints = 7;
        QString error;
        QVERIFY(doc.Load(path("zero.cod"), &error));
        QCOMPARE(doc.m_nPoints, std::int16_t(0));
    }

    void wideCharacterStringsReadAsWindows1252() {
        // Code string in 16-bit characters: 0xFF, 0xFFFE, then the prefix again.
        QByteArray bytes = UntouchedDocumentBytes();
        QByteArray wide("\xFF\xFE\xFF\x04", 4);
        const char16_t text[4] = {u'1', 0x00E9, 0x20AC, 0x4E2D}; // "1", "é", "€", a CJK character
        for (char16_t c : text) {
            wide.append(char(c & 0xFF));
            wide.append(char(c >> 8));
        }
        bytes.replace(0, 14, wide);
        QVERIFY(WriteAll(path("wide.cod"), bytes));
        CZbApp app;
        CZbDoc doc(&app);
        QString error;
        QVERIFY2(doc.Load(path("wide.cod"), &error), qPrintable(error));
        // What Windows-1252 cannot hold becomes '?'.
        QCOMPARE(doc.m_strCode, QString::fromUtf8("1é€?"));
        QVERIFY(doc.Save(path("wide-again.cod"), &error));
        QVERIFY(ReadAll(path("wide-again.cod"))
                    .startsWith(QByteArray("\x04"
                                           "1\xE9\x80?",
                                           5)));
    }

    // A negative count reads as 0; the rest of the file is read as usual.
    void negativeCountsReadAsZero_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("loadedCapacity");
        QTest::newRow("rows -1") << 5000 << -1 << 5000;
        QTest::newRow("rows -32768") << 5000 << -32768 << 5000;
        QTest::newRow("capacity -1") << -1 << 0 << 0;
        QTest::newRow("capacity -1, 3 rows") << -1 << 3 << 0;
    }
    void negativeCountsReadAsZero() {
        QFETCH(int, capacity);
        QFETCH(int, rows);
        QFETCH(int, loadedCapacity);
        QByteArray bytes = WithCounts(UntouchedDocumentBytes(), capacity, qMax(rows, 0));
        bytes[kRowsOffset] = char(rows & 0xFF);
        bytes[kRowsOffset + 1] = char((rows >> 8) & 0xFF);
        QVERIFY(WriteAll(path("negative.cod"), bytes));
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nPoints = 7;
        doc.m_strCode = QStringLiteral("1234567890128");
        doc.m_astrLegend.clear();
        QString error;
        QVERIFY2(doc.Load(path("negative.cod"), &error), qPrintable(error));
        QCOMPARE(int(doc.m_nCapacity), loadedCapacity);
        QCOMPARE(int(doc.m_nPoints), qMax(rows, 0));
        if (rows > 0) QCOMPARE(doc.m_fT[rows - 1][5], 0.5f);
        QCOMPARE(doc.m_strCode, QStringLiteral("5410673004208"));
        QCOMPARE(doc.m_astrLegend.size(), 2);
        QCOMPARE(doc.m_fLegendX, 80.0f);
        QCOMPARE(doc.m_pRegressions->m_bDraw[2], 1);
    }

    // The prefix changes at 255 (0xFF + uint16) and at 65534 (0xFF 0xFFFF +
    // uint32); only 0xFFFE right after 0xFF announces 16-bit characters.
    void stringLengthsAroundEveryPrefixBoundary_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("prefix");
        QTest::newRow("254") << 254 << QByteArray("\xFE", 1);
        QTest::newRow("255") << 255 << QByteArray("\xFF\xFF\x00", 3);
        QTest::newRow("65533") << 65533 << QByteArray("\xFF\xFD\xFF", 3);
        QTest::newRow("65534") << 65534 << QByteArray("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7);
        QTest::newRow("65535") << 65535 << QByteArray("\xFF\xFF\xFF\xFF\xFF\x00\x00", 7);
        QTest::newRow("70000") << 70000 << QByteArray("\xFF\xFF\xFF\x70\x11\x01\x00", 7);
    }
    void stringLengthsAroundEveryPrefixBoundary() {
        QFETCH(int, length);
        QFETCH(QByteArray, prefix);
        const QByteArray text(length, 'c');
        // By hand: the untouched document with this code string.
        QByteArray bytes = UntouchedDocumentBytes();
        bytes.replace(0, 14, prefix + text);
        QVERIFY(WriteAll(path("long.cod"), bytes));
        CZbApp app;
        CZbDoc doc(&app);
        QString error;
        QVERIFY2(doc.Load(path("long.cod"), &error), qPrintable(error));
        QCOMPARE(doc.m_strCode, QString::fromLatin1(text));
        // What follows the string is read from its place.
        QCOMPARE(doc.m_nCapacity, std::int16_t(5000));
        QCOMPARE(doc.m_astrLegend.size(), 2);
        QCOMPARE(doc.m_fLegendY, 90.0f);
        QVERIFY(doc.Save(path("long-again.cod"), &error));
        QCOMPARE(ReadAll(path("long-again.cod")), bytes);
    }

    void badFilesAreRefusedAndChangeNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = UntouchedDocumentBytes();
        // Every truncation of a valid file, from empty to one byte short.
        for (int length = 0; length < good.size(); ++length)
            QTest::addRow("truncated at %d", length) << good.left(length);
        // Counts beyond the 5000-row table, in files that do hold that many rows.
        for (int rows : {5001, 32767})
            QTest::addRow("rows %d", rows) << WithCounts(good, 5000, rows);
        for (int capacity : {5001, 32767})
            QTest::addRow("capacity %d", capacity) << WithCounts(good, capacity, 5000);
        // A string claiming more characters than the file holds.
        QByteArray longString = good;
        longString.replace(0, 1, QByteArray("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7));
        QTest::newRow("huge string length") << longString;
        QByteArray negativeLegend = good;
        negativeLegend[kRenderingsEnd] = char(0xFF);
        negativeLegend[kRenderingsEnd + 1] = char(0xFF);
        QTest::newRow("legend count -1") << negativeLegend;
    }
    void badFilesAreRefusedAndChangeNothing() {
        QFETCH(QByteArray, bytes);
        QVERIFY(WriteAll(path("bad.cod"), bytes));
        CZbApp app;
        app.m_fRefX = 1.5f;
        CZbDoc doc(&app);
        doc.m_strCode = QStringLiteral("1234567890128");
        doc.m_nPoints = 1;
        doc.m_fT[0][0] = 42.0f;
        doc.m_astrLegend = {QStringLiteral("keep")};
        doc.SetZoom(1, 2, 3, 4);
        QString error;
        QVERIFY(!doc.Load(path("bad.cod"), &error));
        QCOMPARE(error, QStringLiteral("Format de fichier inattendu."));
        QCOMPARE(doc.m_strCode, QStringLiteral("1234567890128"));
        QCOMPARE(doc.m_nPoints, std::int16_t(1));
        QCOMPARE(doc.m_fT[0][0], 42.0f);
        QCOMPARE(doc.m_astrLegend, QStringList{QStringLiteral("keep")});
        QCOMPARE(doc.m_fZoomX1, 1.0f);
        QCOMPARE(app.m_fRefX, 1.5f);
    }

    // What is not a regular file, or is larger than any .cod file, is refused
    // before it is read: a FIFO would wait for a writer, a device or a huge
    // file would be read without end.
    void notACodFileIsNotRead_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("FIFO") << QStringLiteral("fifo.cod");
        QTest::newRow("device") << QStringLiteral("/dev/zero");
        QTest::newRow("folder") << QStringLiteral("folder.cod");
        QTest::newRow("10 GB file") << QStringLiteral("huge.cod");
    }
    void notACodFileIsNotRead() {
        QFETCH(QString, name);
        QVERIFY(mkfifo(QFile::encodeName(path("fifo.cod")).constData(), 0600) == 0 ||
                errno == EEXIST);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.cod")));
        {
            QFile huge(path("huge.cod"));
            QVERIFY(huge.open(QIODevice::ReadWrite));
            QVERIFY(huge.resize(qint64(10) << 30)); // sparse: zeros that take no room
        }
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCode = QStringLiteral("1234567890128");
        QString error;
        QVERIFY(!doc.Load(name.startsWith(QLatin1Char('/')) ? name : m_dir.filePath(name), &error));
        QCOMPARE(error, QStringLiteral("Format de fichier inattendu."));
        QCOMPARE(doc.m_strCode, QStringLiteral("1234567890128"));
        QFile::remove(path("huge.cod"));
    }

    // Good files cut, spliced and corrupted at random (fixed seed): every load
    // ends, within bounds, and a refused one leaves the document as it was.
    void mutatedFilesNeverCrash() {
        QList<QByteArray> good = {UntouchedDocumentBytes(),
                                  WithCounts(UntouchedDocumentBytes(), 5000, 40)};
        QByteArray longCode = UntouchedDocumentBytes();
        longCode.replace(0, 14,
                         QByteArray("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7) + QByteArray(65534, '7'));
        good << longCode;
        QByteArray wide = UntouchedDocumentBytes();
        wide.replace(0, 14, QByteArray("\xFF\xFE\xFF\x02\x31\x00\xAC\x20", 8));
        good << wide;

        std::mt19937 random(20261210);
        auto below = [&random](qsizetype n) {
            return qsizetype(
                std::uniform_int_distribution<qint64>(0, qMax<qint64>(n - 1, 0))(random));
        };
        for (int round = 0; round < 1500; ++round) {
            QByteArray bytes = good[below(good.size())];
            switch (round % 3) {
            case 0: // cut
                bytes.truncate(below(bytes.size() + 1));
                break;
            case 1: { // splice the head of one onto the tail of another
                const QByteArray& other = good[below(good.size())];
                bytes = bytes.left(below(bytes.size() + 1)) + other.mid(below(other.size() + 1));
                break;
            }
            default: // corrupt a few bytes, often in the counts and prefixes up front
                for (int k = 0, n = 1 + int(below(8)); k < n && !bytes.isEmpty(); ++k) {
                    const qsizetype at =
                        below(2) ? below(qMin<qsizetype>(bytes.size(), 40)) : below(bytes.size());
                    bytes[at] = char(below(256));
                }
            }
            QVERIFY(WriteAll(path("mutated.cod"), bytes));
            CZbApp app;
            CZbDoc doc(&app);
            doc.m_strCode = QStringLiteral("1234567890128");
            QString error;
            if (!doc.Load(path("mutated.cod"), &error)) {
                QCOMPARE(error, QStringLiteral("Format de fichier inattendu."));
                QCOMPARE(doc.m_strCode, QStringLiteral("1234567890128"));
            } else {
                QVERIFY(doc.m_nPoints >= 0 && doc.m_nPoints <= CZbDoc::kCapacity);
                QVERIFY(doc.m_nCapacity >= 0 && doc.m_nCapacity <= CZbDoc::kCapacity);
            }
        }
    }

    void failedSaveKeepsTheOldFile() {
        // A file-size limit makes the write fail part-way (root included):
        // the file the save would have replaced must be intact.
        QVERIFY(WriteAll(path("keep.cod"), UntouchedDocumentBytes()));
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCode = QStringLiteral("0000000000000");
        doc.m_nPoints = 100;
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = previous;
        small.rlim_cur = 200;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool saved = doc.Save(path("keep.cod"), &error);
        setrlimit(RLIMIT_FSIZE, &previous);
        QVERIFY(!saved);
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadAll(path("keep.cod")), UntouchedDocumentBytes());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("keep")),
                 QStringList{QStringLiteral("keep.cod")});
    }

    void missingFileIsReported() {
        CZbApp app;
        CZbDoc doc(&app);
        QString error;
        QVERIFY(!doc.Load(path("absent.cod"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(doc.m_strCode, QStringLiteral("5410673004208"));
    }
};

QTEST_GUILESS_MAIN(TestCodFile)
#include "tst_codfile.moc"
