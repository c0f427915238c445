// The steps of the Tektronix port dialog, stepped tick by tick, with the test
// playing the instrument on a real pseudo-terminal.

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/tektronix/tekportsession.h"
#include "ptysupport.h"

class TestTekPortSession : public QObject {
    Q_OBJECT

  private slots:
    void theReplyIsReadAtThe21stTick() {
        CTestPty pty;
        CZbApp app;
        app.m_ports.OverrideDevicePath(1, pty.SlavePath());
        CZbDoc doc(&app);
        doc.m_nScopePort = 1;
        CTekPortSession session(&doc);
        session.Open();
        QCOMPARE(session.m_nPort, 1);
        QCOMPARE(session.m_strMessage,
                 QStringLiteral("Cliquer sur Tester pour demander la version de l'appareil..."));
        QVERIFY(session.m_bOkEnabled);
        session.Test();
        QVERIFY(!session.m_bTestEnabled);
        QByteArray sent;
        QTRY_COMPARE((sent += pty.ReadAvailable()), QByteArray("RS232:PRESET\nID?\n"));
        pty.Send("TEKTRONIX,TDS 340\r\n");
        QTRY_VERIFY(!session.Link()->m_strBuffer.isEmpty());
        for (int tick = 1; tick <= CTekPortSession::kTestTicks; ++tick)
            session.Tick();
        QVERIFY(session.TimerRunning());
        QVERIFY(!session.m_bTestEnabled);
        session.Tick();
        QVERIFY(!session.TimerRunning());
        QVERIFY(session.m_bTestEnabled);
        QCOMPARE(session.m_strMessage, QStringLiteral("Identification:\nTEKTRONIX,TDS 340"));
        QVERIFY(session.Link()->m_strBuffer.isEmpty());

        // Silence: an error, and "&OK" disabled until a test succeeds.
        session.Test();
        for (int tick = 0; tick <= CTekPortSession::kTestTicks; ++tick)
            session.Tick();
        QCOMPARE(session.m_strMessage, QStringLiteral("Erreur de lecture sur COM2"));
        QVERIFY(!session.m_bOkEnabled);
        session.Quit();
        QVERIFY(!session.Link());
        QCOMPARE(doc.m_nScopePort, std::int16_t(1));
    }

    // A scope on the network: "&Tester" as on a serial port, the identification
    // asked before the connection is even up.
    void theTestWorksOverASocket() {
        QTcpServer scope;
        QVERIFY(scope.listen(QHostAddress::LocalHost, 0));
        CZbApp app;
        app.m_ports.OverrideDevicePath(0, QStringLiteral("127.0.0.1:%1").arg(scope.serverPort()));
        CZbDoc doc(&app);
        doc.m_nScopePort = 0;
        CTekPortSession session(&doc);
        session.Open();
        session.Test();
        QVERIFY(scope.waitForNewConnection(5000));
        QTcpSocket* peer = scope.nextPendingConnection();
        QByteArray sent;
        QTRY_COMPARE((sent += peer->readAll()), QByteArray("RS232:PRESET\nID?\n"));
        peer->write("TEKTRONIX,TBS 1052B,C010123,CF:91.1CT FV:v4.05\n");
        QTRY_VERIFY(!session.Link()->m_strBuffer.isEmpty());
        for (int tick = 0; tick <= CTekPortSession::kTestTicks; ++tick)
            session.Tick();
        QCOMPARE(session.m_strMessage,
                 QStringLiteral("Identification:\nTEKTRONIX,TBS 1052B,C010123,CF:91.1CT FV:v4.05"));
        session.Ok();
    }

    void anotherPortAbandonsTheTest() {
        CTestPty pty;
        CZbApp app;
        app.m_ports.OverrideDevicePath(0, pty.SlavePath());
        app.m_ports.OverrideDevicePath(1, QStringLiteral("/dev/ttyLineatixNone"));
        CZbDoc doc(&app);
        CTekPortSession session(&doc);
        session.Open();
        session.Test();
        session.m_nPort = 1;
        session.PortClicked();
        QVERIFY(!session.TimerRunning());
        QVERIFY(session.m_bTestEnabled);
        QVERIFY(!session.Link()->IsOpen());
        // The first port is free again.
        CPortNames ports;
        ports.OverrideDevicePath(0, pty.SlavePath());
        CTekLink other(0, ports);
        QVERIFY(other.IsOpen());
        session.Ok(); // stored without a test
        QCOMPARE(doc.m_nScopePort, std::int16_t(1));
    }
};

QTEST_GUILESS_MAIN(TestTekPortSession)
#include "tst_tekportsession.moc"
