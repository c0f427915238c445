// The capture monitor fed with bytes and a clock: the capture file holds
// each reply raw, it closes at the first tick that sees two whole seconds of
// silence, the display shows the bytes in hexadecimal, folded.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/serial/capturemonitor.h"

namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

} // namespace

class TestCaptureMonitor : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    CZbApp m_app;
    std::unique_ptr<CZbDoc> m_doc;

  private slots:
    void init() {
        m_doc = std::make_unique<CZbDoc>(&m_app);
        m_doc->m_strCapturePath = m_dir.filePath(QStringLiteral("zb.$$$"));
        QFile::remove(m_doc->m_strCapturePath);
    }

    void theCaptureFileIsInTheUsersCache() {
        const QString path = CZbDoc::DefaultCapturePath();
        QVERIFY(path.endsWith(QStringLiteral("/zb.$$$")));
        QVERIFY(QFileInfo(path).isAbsolute());
    }

    void everyByteIsStoredAndCounted() {
        CCaptureMonitor monitor(m_doc.get(), 1);
        monitor.Opened(5000);
        QCOMPARE(monitor.m_strStatus,
                 QStringLiteral("Connecté à COM2:9600,8,'N',1 depuis 00:00:00\nLe fichier tampon "
                                "contient 0 caractère(s)."));
        const QByteArray reply("#\x00\r\n\xff\x90", 6);
        monitor.Receive(reply.left(2), 5100);
        QVERIFY(m_doc->m_bCaptureOpen);
        monitor.Receive(reply.mid(2), 5200);
        QCOMPARE(m_doc->m_nCaptureCount, 6);
        QCOMPARE(monitor.m_strReceived, QStringLiteral("23 00 0D 0A FF 90 "));
        QVERIFY(!monitor.Tick(6999)); // whole seconds 5 and 6: not yet
        QVERIFY(m_doc->m_bCaptureOpen);
        QVERIFY(monitor.Tick(7000)); // two whole seconds after the last byte
        QVERIFY(!m_doc->m_bCaptureOpen);
        QCOMPARE(FileBytes(m_doc->m_strCapturePath), reply);
        QCOMPARE(monitor.m_strStatus,
                 QStringLiteral("Connecté à COM2:9600,8,'N',1 depuis 00:00:02\nLe fichier tampon "
                                "contient 6 caractère(s)."));
    }

    // Whole-second stamps: the file closes between one and two seconds after
    // the last byte, at the first tick that sees a difference of two.
    void theSilenceRuleByTicks_data() {
        QTest::addColumn<int>("lastByteMs");
        QTest::addColumn<int>("closedAtMs");
        QTest::newRow("byte early in a second") << 10010 << 12000;
        QTest::newRow("byte late in a second") << 10990 << 12000;
        QTest::newRow("byte at a second's start") << 11000 << 13000;
    }
    void theSilenceRuleByTicks() {
        QFETCH(int, lastByteMs);
        QFETCH(int, closedAtMs);
        CCaptureMonitor monitor(m_doc.get(), 0);
        monitor.Opened(0);
        monitor.Receive("x", lastByteMs);
        int closed = -1;
        for (int now = lastByteMs; now <= lastByteMs + 3000 && closed < 0; now += 10)
            if (monitor.Tick(now)) closed = now;
        QVERIFY(closed >= closedAtMs && closed < closedAtMs + 10);
    }

    void aPauseUnderASecondKeepsOneFileAndTwoSecondsStartANewOne() {
        CCaptureMonitor monitor(m_doc.get(), 0);
        monitor.Opened(0);
        std::int64_t now = 100;
        QByteArray sent;
        for (int piece = 0; piece < 8; ++piece) { // pieces 900 ms apart
            const QByteArray bytes = QByteArray(50, char('a' + piece));
            monitor.Receive(bytes, now);
            sent += bytes;
            for (const std::int64_t end = now + 900; now < end; now += 10)
                QVERIFY(!monitor.Tick(now));
        }
        QCOMPARE(m_doc->m_nCaptureCount, 400);
        while (!monitor.Tick(now))
            now += 10;
        QCOMPARE(FileBytes(m_doc->m_strCapturePath), sent);
        // The next reply truncates the file.
        monitor.Receive("OK", now + 10);
        QCOMPARE(m_doc->m_nCaptureCount, 2);
        while (!monitor.Tick(now))
            now += 10;
        QCOMPARE(FileBytes(m_doc->m_strCapturePath), QByteArray("OK"));
    }

    void theDisplayFoldsAfter172Characters() {
        CCaptureMonitor monitor(m_doc.get(), 0);
        monitor.Opened(0);
        monitor.Receive(QByteArray(57, char(0x41)), 10); // 171 characters
        QCOMPARE(monitor.m_strReceived.size(), 171);
        monitor.Receive(QByteArray(1, char(0x42)), 10); // 174: folded before the next byte
        QCOMPARE(monitor.m_strReceived.size(), 174);
        monitor.Receive(QByteArray(1, char(0x43)), 10);
        QVERIFY(monitor.m_strReceived.startsWith(QStringLiteral("... ")));
        QVERIFY(monitor.m_strReceived.endsWith(QStringLiteral("41 42 43 ")));
        QCOMPARE(monitor.m_strReceived.size(), 4 + 172 + 3);
        monitor.Receive(QByteArray(5000, char(0x7E)), 20);
        QCOMPARE(monitor.m_strReceived.size(), 4 + 172 + 3);
    }

    void readingWaitsForTheFileToClose() {
        CCaptureMonitor monitor(m_doc.get(), 0);
        monitor.Opened(0);
        QByteArray big(1500, 'z');
        big[3] = 'Q';
        monitor.Receive(big, 100);
        QVERIFY(m_doc->m_bCaptureOpen); // a reader sees nothing yet (ReadCapture)
        monitor.Tick(2000);
        QVERIFY(!m_doc->m_bCaptureOpen);
        m_doc->m_nPoints = 12;
        const QString text = m_doc->ReadCaptureText();
        QCOMPARE(text.size(), 999);
        QCOMPARE(m_doc->m_nCaptureCount, 1500);
        QCOMPARE(m_doc->m_nPoints, std::int16_t(0));
        monitor.Receive(QByteArray("GW,GDS\0junk", 11), 3000);
        monitor.Tick(5000);
        QCOMPARE(m_doc->ReadCaptureText(), QStringLiteral("GW,GDS")); // a zero byte ends it
    }

    void aFileThatCannotBeCreatedIsReported() {
        // A folder that cannot exist: its parent is a plain file.
        QFile blocker(m_dir.filePath(QStringLiteral("plain")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_doc->m_strCapturePath = m_dir.filePath(QStringLiteral("plain/sub/zb.$$$"));
        CCaptureMonitor monitor(m_doc.get(), 0);
        monitor.Opened(0);
        monitor.Receive("ABC", 10);
        QCOMPARE(monitor.m_strReceived, QStringLiteral("41 42 43 ")); // shown
        QCOMPARE(m_doc->m_nCaptureCount, 0);                          // not stored
        QVERIFY(monitor.FileError().contains(m_doc->m_strCapturePath));
        QVERIFY(monitor.m_strStatus.contains(monitor.FileError()));
        // A writable place again: the next reply is stored and the error goes.
        monitor.Tick(3000);
        m_doc->m_strCapturePath = m_dir.filePath(QStringLiteral("new/folder/zb.$$$"));
        monitor.Receive("D", 4000);
        QVERIFY(monitor.FileError().isEmpty());
        monitor.Tick(6000);
        QCOMPARE(FileBytes(m_doc->m_strCapturePath), QByteArray("D"));
    }

    void aPortThatDidNotOpen() {
        CCaptureMonitor monitor(m_doc.get(), 1);
        m_doc->m_bCaptureOpen = 1;
        monitor.OpenFailed(QStringLiteral("Le périphérique /dev/ttyS1 n'existe pas."));
        QCOMPARE(monitor.m_strStatus, QStringLiteral("Erreur de connexion au port COM2 !\nLe "
                                                     "périphérique /dev/ttyS1 n'existe pas."));
        QVERIFY(!m_doc->m_bCaptureOpen); // cleared in every case
        QVERIFY(!monitor.Tick(10000));
    }
};

QTEST_GUILESS_MAIN(TestCaptureMonitor)
#include "tst_capturemonitor.moc"
