// The .cod file, checked against bytes laid out by hand from the format:
// little-endian, no header, strings with a 1-byte / 0xFF+uint16 /
// 0xFF 0xFFFF+uint32 length prefix in Windows-1252.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

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
        const int renderingsEnd = 14 + 2 + 2 + 4 + 4 + 2 + 2 + 4 + 8 * 16;
        QCOMPARE(int(bytes[renderingsEnd]), 2);
        QCOMPARE(int(bytes[renderingsEnd + 1]), 0);
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
        // Counts outside the 5000-row table.
        const struct {
            const char* name;
            int offset;
            int value;
        } counts[] = {{"rows 5001", kRowsOffset, 5001},
                      {"rows 32767", kRowsOffset, 32767},
                      {"rows -1", kRowsOffset, -1},
                      {"capacity 5001", kCapacityOffset, 5001},
                      {"capacity 32767", kCapacityOffset, 32767},
                      {"capacity -1", kCapacityOffset, -1}};
        for (const auto& count : counts) {
            QByteArray bytes = good;
            bytes[count.offset] = char(count.value & 0xFF);
            bytes[count.offset + 1] = char((count.value >> 8) & 0xFF);
            QTest::newRow(count.name) << bytes;
        }
        // A string claiming more characters than the file holds.
        QByteArray longString = good;
        longString.replace(0, 1, QByteArray("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7));
        QTest::newRow("huge string length") << longString;
        QByteArray negativeLegend = good;
        const int legendOffset = 14 + 2 + 2 + 4 + 4 + 2 + 2 + 4 + 8 * 16;
        negativeLegend[legendOffset] = char(0xFF);
        negativeLegend[legendOffset + 1] = char(0xFF);
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
