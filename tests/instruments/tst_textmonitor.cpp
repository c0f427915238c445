// The text monitor without a window or a port: what it shows of the received
// bytes, its status line and clock, and the cut of a runaway receive buffer
// with its pause, driven by a clock the test sets.

#include <QTest>

#include "instruments/serial/textmonitor.h"

namespace {

const QString kConnected0 = QStringLiteral("Connecté à COM1:9600,8,'N',1 depuis 00:00:00\n");

QString BufferLine(int count) {
    return QStringLiteral("Le buffer contient %1 caractère(s).").arg(count);
}

} // namespace

class TestTextMonitor : public QObject {
    Q_OBJECT

  private slots:
    void lineEndsShowAsTwoSpacesAndReachTheBufferUnchanged() {
        QString buffer;
        CTextMonitor monitor(0, &buffer);
        monitor.Connected(1000);
        monitor.Receive(QByteArray("12\r\n3"), 1000);
        QCOMPARE(monitor.m_strReceived, QStringLiteral("12    3"));
        QCOMPARE(buffer, QStringLiteral("12\r\n3"));
        QCOMPARE(monitor.m_strStatus, kConnected0 + BufferLine(5));
    }

    void everySplitOfAReplyGivesTheSameTexts() {
        const QByteArray reply("TEKTRONIX,TDS 340,0,CF:91.1CT FV:v1.00\r\n-40,-39,50,\n");
        QString wholeBuffer;
        CTextMonitor whole(1, &wholeBuffer);
        whole.Connected(0);
        whole.Receive(reply, 0);
        for (int cut = 0; cut <= reply.size(); ++cut) {
            QString buffer;
            CTextMonitor monitor(1, &buffer);
            monitor.Connected(0);
            monitor.Receive(reply.left(cut), 0);
            monitor.Receive(reply.mid(cut), 0);
            QCOMPARE(buffer, wholeBuffer);
            QCOMPARE(monitor.m_strReceived, whole.m_strReceived);
        }
    }

    void theDisplayFoldsPast140Characters() {
        QString buffer;
        CTextMonitor monitor(0, &buffer);
        monitor.Connected(0);
        QByteArray text;
        for (int i = 0; i < 141; ++i)
            text.append(char('a' + i % 26));
        monitor.Receive(text.left(140), 0);
        QCOMPARE(monitor.m_strReceived, QString::fromLatin1(text.left(140)));
        monitor.Receive(text.mid(140), 0);
        QCOMPARE(monitor.m_strReceived,
                 QStringLiteral("... ") + QString::fromLatin1(text.right(140)));
        // A long reply keeps the display bounded; the buffer keeps every byte.
        monitor.Receive(QByteArray(5000, 'x'), 0);
        QCOMPARE(monitor.m_strReceived, QStringLiteral("... ") + QString(140, QLatin1Char('x')));
        QCOMPARE(buffer.size(), 5141);
    }

    void theStatusLineCountsTheElapsedTime() {
        QString buffer;
        CTextMonitor monitor(1, &buffer);
        monitor.Connected(10'000);
        monitor.Tick(10'999);
        QVERIFY(monitor.m_strStatus.startsWith(
            QStringLiteral("Connecté à COM2:9600,8,'N',1 depuis 00:00:00\n")));
        monitor.Tick(10'000 + 3'725'000);
        QCOMPARE(monitor.m_strStatus,
                 QStringLiteral("Connecté à COM2:9600,8,'N',1 depuis 01:02:05\n") + BufferLine(0));
        buffer = QStringLiteral("abc"); // the owner's buffer, as the owner changed it
        monitor.Tick(10'000 + 3'726'000);
        QVERIFY(monitor.m_strStatus.endsWith(BufferLine(3)));
    }

    void aBufferOf14000CharactersIsKept() {
        QString buffer;
        CTextMonitor monitor(0, &buffer);
        monitor.Connected(0);
        monitor.Receive(QByteArray(CTextMonitor::kBufferLimit, '1'), 5);
        QCOMPARE(buffer.size(), CTextMonitor::kBufferLimit);
        QVERIFY(!monitor.IsPausing());
        QCOMPARE(monitor.CutCount(), 0);
    }

    void aRunawayBufferIsCutThenPausesFor200Ms() {
        QString buffer;
        CTextMonitor monitor(0, &buffer);
        monitor.Connected(0);
        QByteArray flood(CTextMonitor::kBufferLimit, '7');
        flood += "ABCDEFGHIJKLMNOPQRSTU"; // 14021 characters
        monitor.Receive(flood, 1000);
        QCOMPARE(buffer, QStringLiteral("BCDEFGHIJKLMNOPQRSTU"));
        QCOMPARE(monitor.m_strStatus, QStringLiteral("Initialisation buffer ..."));
        QVERIFY(monitor.IsPausing());
        QCOMPARE(monitor.PauseEndMs(), std::int64_t(1200));
        QCOMPARE(monitor.CutCount(), 1);

        // Bytes of the pause wait; the message stays until the pause is over.
        monitor.Receive(QByteArray("xy"), 1100);
        monitor.Tick(1199);
        QCOMPARE(buffer.size(), 20);
        QCOMPARE(monitor.m_strStatus, QStringLiteral("Initialisation buffer ..."));
        monitor.Tick(1200);
        QVERIFY(!monitor.IsPausing());
        QCOMPARE(buffer, QStringLiteral("BCDEFGHIJKLMNOPQRSTUxy"));
        QCOMPARE(monitor.m_strStatus, kConnected0.left(kConnected0.size() - 9) +
                                          QStringLiteral("00:00:01\n") + BufferLine(22));
        QVERIFY(monitor.m_strReceived.endsWith(QStringLiteral("Uxy")));
    }

    void aFailedPortShowsWhyAndReceivesNothing() {
        QString buffer;
        CTextMonitor monitor(1, &buffer);
        monitor.Failed(QStringLiteral("Le périphérique /dev/ttyS1 n'existe pas."));
        QCOMPARE(monitor.m_strStatus, QStringLiteral("Erreur de connexion au port COM2 !\n"
                                                     "Le périphérique /dev/ttyS1 n'existe pas."));
        monitor.Receive(QByteArray("late"), 10);
        monitor.Tick(2000);
        QVERIFY(buffer.isEmpty());
        QVERIFY(!monitor.IsConnected());
        QVERIFY(monitor.m_strStatus.startsWith(QStringLiteral("Erreur de connexion")));
    }
};

QTEST_GUILESS_MAIN(TestTextMonitor)
#include "tst_textmonitor.moc"
