// The owner of a text-answering instrument's port: lines taken off the
// receive buffer, the port drained as bytes arrive, a port that cannot be
// opened or goes away, on a transport without a device and on a real
// pseudo-terminal.

#include <QSignalSpy>
#include <QTest>

#include "faketransport.h"
#include "instruments/serial/portnames.h"
#include "instruments/serial/textlink.h"
#include "ptysupport.h"

namespace {

struct FakeLink {
    CFakeTransport* transport;
    std::unique_ptr<CTextSerialLink> link;
};

FakeLink MakeFakeLink(int port = 0) {
    auto transport = std::make_unique<CFakeTransport>();
    CFakeTransport* raw = transport.get();
    return {raw, std::make_unique<CTextSerialLink>(port, std::move(transport), QString())};
}

} // namespace

class TestTextLink : public QObject {
    Q_OBJECT

  private slots:
    void readLineTakesOneLineOffTheFront_data() {
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("rest");
        QTest::newRow("CR LF") << "OK\r\n"
                               << "OK"
                               << "";
        QTest::newRow("LF then more") << "A\nB"
                                      << "A"
                                      << "B";
        QTest::newRow("no line feed yet") << "AB"
                                          << ""
                                          << "AB";
        QTest::newRow("empty line") << "\nX\n"
                                    << ""
                                    << "X\n";
        QTest::newRow("lone CR kept inside") << "a\rb\r\n"
                                             << "a\rb"
                                             << "";
        QTest::newRow("CR without LF") << "AB\r"
                                       << ""
                                       << "AB\r";
    }
    void readLineTakesOneLineOffTheFront() {
        QFETCH(QString, buffer);
        QFETCH(QString, line);
        QFETCH(QString, rest);
        FakeLink fake = MakeFakeLink();
        fake.link->m_strBuffer = buffer;
        QCOMPARE(fake.link->ReadLine(), line);
        QCOMPARE(fake.link->m_strBuffer, rest);
    }

    void bytesAreDrainedWhenTheyArrive() {
        FakeLink fake = MakeFakeLink();
        QSignalSpy changed(fake.link.get(), &CTextSerialLink::MonitorChanged);
        QVERIFY(fake.link->Send("ID?\n"));
        QCOMPARE(fake.transport->AllWritten(), QByteArray("ID?\n"));
        fake.transport->Receive("ID TEK/TDS 340\r\n");
        QCOMPARE(fake.link->m_strBuffer, QStringLiteral("ID TEK/TDS 340\r\n"));
        QCOMPARE(fake.link->Monitor().m_strReceived, QStringLiteral("ID TEK/TDS 340    "));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(fake.link->ReadLine(), QStringLiteral("ID TEK/TDS 340"));
    }

    void aLostPortClosesTheLinkAndSaysWhy() {
        FakeLink fake = MakeFakeLink(1);
        QSignalSpy lost(fake.link.get(), &CTextSerialLink::Lost);
        fake.transport->Unplug();
        QCOMPARE(lost.count(), 1);
        QVERIFY(!fake.link->Send("ID?\n"));
        QCOMPARE(fake.link->Monitor().m_strStatus,
                 QStringLiteral("Erreur de connexion au port COM2 !\n"
                                "Le périphérique /dev/fake ne répond plus."));
    }

    void theOverflowPauseEndsOnItsOwn() {
        FakeLink fake = MakeFakeLink();
        fake.transport->Receive(QByteArray(CTextMonitor::kBufferLimit + 1, '5'));
        QCOMPARE(fake.link->Monitor().m_strStatus, QStringLiteral("Initialisation buffer ..."));
        fake.transport->Receive("end\n");
        QCOMPARE(fake.link->m_strBuffer.size(), CTextMonitor::kBufferKeep);
        QTRY_VERIFY_WITH_TIMEOUT(!fake.link->Monitor().IsPausing(), 2000);
        QCOMPARE(fake.link->m_strBuffer, QString(20, QLatin1Char('5')) + QStringLiteral("end\n"));
    }

    void onARealTerminal() {
        CTestPty pty;
        QVERIFY(pty.IsOpen());
        CPortNames ports;
        ports.OverrideDevicePath(0, pty.SlavePath());
        CTextSerialLink link(0, ports);
        QVERIFY(link.IsOpen());
        QVERIFY(link.Monitor().m_strStatus.startsWith(QStringLiteral("Connecté à COM1:9600")));
        QVERIFY(link.Send("RS232:PRESET\nID?\n"));
        QByteArray sent;
        QTRY_COMPARE((sent += pty.ReadAvailable()), QByteArray("RS232:PRESET\nID?\n"));
        QVERIFY(pty.Send("ID TEK/TDS 210,CF:91.1CT FV:v2.12\n"));
        QTRY_VERIFY(link.m_strBuffer.endsWith(QLatin1Char('\n')));
        QCOMPARE(link.ReadLine(), QStringLiteral("ID TEK/TDS 210,CF:91.1CT FV:v2.12"));

        // The port is held: a second link on it is refused, with the reason.
        CTextSerialLink second(0, ports);
        QVERIFY(!second.IsOpen());
        QCOMPARE(second.Monitor().m_strStatus,
                 QStringLiteral("Erreur de connexion au port COM1 !\n"
                                "Le périphérique %1 est utilisé par un autre programme.")
                     .arg(pty.SlavePath()));
        QVERIFY(!second.Send("ID?\n"));

        // The terminal goes away: reported once, never a hang.
        QSignalSpy lost(&link, &CTextSerialLink::Lost);
        pty.CloseMaster();
        QTRY_COMPARE(lost.count(), 1);
        QVERIFY(!link.Send("ID?\n"));
    }

    void aMissingDevice() {
        CPortNames ports;
        ports.OverrideDevicePath(1, QStringLiteral("/dev/ttyLineatixNone"));
        CTextSerialLink link(1, ports);
        QVERIFY(!link.IsOpen());
        QCOMPARE(link.Monitor().m_strStatus,
                 QStringLiteral("Erreur de connexion au port COM2 !\n"
                                "Le périphérique /dev/ttyLineatixNone n'existe pas."));
        QVERIFY(!link.Send("ID?\n"));
    }
};

QTEST_GUILESS_MAIN(TestTextLink)
#include "tst_textlink.moc"
