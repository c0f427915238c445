// The two Tektronix dialogs driven with real clicks, on real pseudo-terminals:
// the simulated oscilloscope, or the test playing an instrument that goes
// away; the monitor window lives exactly as long as the dialog's link.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/serial/serialdevice.h"
#include "instruments/serial/ui/serialmonitordlg.h"
#include "instruments/tektronix/ui/tekacqdlg.h"
#include "instruments/tektronix/ui/tekportdlg.h"
#include "ptysupport.h"
#include "view/commandids.h"
#include "view/ui/zbview.h"

namespace {

const QString kMissing = QStringLiteral("/dev/ttyLineatixNone");

bool Enabled(const QWidget* dialog, const char* text) {
    QAbstractButton* button = FindButton(dialog, QString::fromUtf8(text));
    return button && button->isEnabled();
}

// The dialog's monitor window; there is exactly one while it has a link.
CSerialMonitorDlg* Monitor(const QWidget* dialog) {
    const QList<CSerialMonitorDlg*> monitors = dialog->findChildren<CSerialMonitorDlg*>();
    return monitors.size() == 1 ? monitors.first() : nullptr;
}

// Waits until the instrument's end has received `what` (kept in *seen).
bool WaitFor(CTestPty& pty, QByteArray* seen, const QByteArray& what) {
    return QTest::qWaitFor([&] { return (*seen += pty.ReadAvailable()).contains(what); }, 5000);
}

} // namespace

class TestTekDialogs : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QCoreApplication::setOrganizationName(QStringLiteral("LineatixTest"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_tekdialogs"));
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    void thePortDialogTestsEachPort() {
        auto sim = StartSimulator(QStringLiteral("tds"));
        QVERIFY(!sim->devicePath.isEmpty());
        CZbApp app;
        app.m_ports.OverrideDevicePath(0, sim->devicePath);
        app.m_ports.OverrideDevicePath(1, kMissing);
        CZbDoc doc(&app);
        CTekPortDlg dialog(&doc);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Définition port série Tektronix"));
        RunModal(dialog, [&] {
            CSerialMonitorDlg* monitor = Monitor(&dialog);
            QVERIFY(monitor && monitor->isVisible());
            QCOMPARE(monitor->windowTitle(), QStringLiteral("Connexion au port série"));
            QVERIFY(!(monitor->windowFlags() & Qt::WindowCloseButtonHint));
            QVERIFY(!(monitor->windowFlags() & Qt::WindowSystemMenuHint));
            QVERIFY(!monitor->close()); // the user cannot close it
            QCOMPARE(
                Message(&dialog),
                QStringLiteral("Cliquer sur Tester pour demander la version de l'appareil..."));
            QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("device1"))->currentText(),
                     sim->devicePath);

            QVERIFY(ClickButton(&dialog, QStringLiteral("&Tester")));
            QVERIFY(!Enabled(&dialog, "&Tester"));
            QTRY_VERIFY(Enabled(&dialog, "&Tester"));
            QCOMPARE(Message(&dialog),
                     QStringLiteral("Identification:\nID TEK/TDS 340A,CF:91.1CT FV:v1.01"));
            QVERIFY(Enabled(&dialog, "&OK"));
            QVERIFY(monitor->ReceivedText().startsWith(QStringLiteral("ID TEK/TDS 340A")));

            // COM2 stands for a device that does not exist.
            QVERIFY(ClickButton(&dialog, QStringLiteral("COM&2")));
            monitor = Monitor(&dialog);
            QVERIFY(monitor);
            QCOMPARE(monitor->StatusText(),
                     QStringLiteral("Erreur de connexion au port COM2 !\n"
                                    "Le périphérique /dev/ttyLineatixNone n'existe pas."));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Tester")));
            QTRY_VERIFY(Enabled(&dialog, "&Tester"));
            QCOMPARE(Message(&dialog), QStringLiteral("Erreur de lecture sur COM2"));
            QVERIFY(!Enabled(&dialog, "&OK"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Quitter")));
        });
        QCOMPARE(doc.m_nScopePort, std::int16_t(0)); // "&Quitter" changes nothing
        QVERIFY(dialog.findChildren<CSerialMonitorDlg*>().isEmpty());
    }

    void thePortDialogKeepsTheChosenPortAndDevice() {
        auto sim = StartSimulator(QStringLiteral("tds"));
        QVERIFY(!sim->devicePath.isEmpty());
        CZbApp app;
        CZbDoc doc(&app);
        CTekPortDlg dialog(&doc);
        RunModal(dialog, [&] {
            QVERIFY(ClickButton(&dialog, QStringLiteral("COM&2")));
            QVERIFY(Monitor(&dialog)->StatusText().startsWith(
                QStringLiteral("Erreur de connexion au port COM2 !")));
            // The simulator's terminal is not listed: its path is typed in.
            auto* device = dialog.findChild<QComboBox*>(QStringLiteral("device2"));
            TypeInto(device->lineEdit(), sim->devicePath);
            QTest::keyClick(device->lineEdit(), Qt::Key_Return);
            QTRY_VERIFY(Monitor(&dialog) &&
                        Monitor(&dialog)->StatusText().startsWith(
                            QStringLiteral("Connecté à COM2:9600,8,'N',1 depuis 00:00:0")));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&OK"))); // no test needed
        });
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(doc.m_nScopePort, std::int16_t(1));
        QCOMPARE(app.m_ports.DevicePath(1), sim->devicePath);
        QCOMPARE(QSettings().value(QStringLiteral("Ports/COM2")).toString(), sim->devicePath);
        QVERIFY(dialog.findChildren<CSerialMonitorDlg*>().isEmpty());
    }

    // A scope on the network: its address typed as COM1's device, tested.
    void anAddressTypedAsTheDevice() {
        QTcpServer scope; // answers the identification as a TBS does
        QVERIFY(scope.listen(QHostAddress::LocalHost, 0));
        connect(&scope, &QTcpServer::newConnection, this, [&scope] {
            QTcpSocket* peer = scope.nextPendingConnection();
            connect(peer, &QTcpSocket::readyRead, peer, [peer] {
                if (peer->readAll().contains("ID?\n")) peer->write("ID TEK/TBS 1052B,FV:v4.05\n");
            });
        });
        CZbApp app;
        app.m_ports.OverrideDevicePath(0, kMissing);
        CZbDoc doc(&app);
        CTekPortDlg dialog(&doc);
        RunModal(dialog, [&] {
            auto* device = dialog.findChild<QComboBox*>(QStringLiteral("device1"));
            QVERIFY(!device->lineEdit()->toolTip().isEmpty());
            // The VXI-11 form is refused with the raw socket's port.
            TypeInto(device->lineEdit(), QStringLiteral("TCPIP::127.0.0.1::INSTR"));
            QTest::keyClick(device->lineEdit(), Qt::Key_Return);
            QTRY_VERIFY(Monitor(&dialog) &&
                        Monitor(&dialog)->StatusText().contains(QStringLiteral("VXI-11")));
            const QString address =
                QStringLiteral("TCPIP::127.0.0.1::%1::SOCKET").arg(scope.serverPort());
            TypeInto(device->lineEdit(), address);
            QTest::keyClick(device->lineEdit(), Qt::Key_Return);
            QTRY_VERIFY(Monitor(&dialog) &&
                        Monitor(&dialog)->StatusText().startsWith(
                            QStringLiteral("Connecté à COM1 (127.0.0.1:%1) depuis 00:00:0")
                                .arg(scope.serverPort())));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Tester")));
            QTRY_VERIFY(Enabled(&dialog, "&Tester"));
            QCOMPARE(Message(&dialog),
                     QStringLiteral("Identification:\nID TEK/TBS 1052B,FV:v4.05"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&OK")));
            QCOMPARE(app.m_ports.DevicePath(0), address);
        });
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void theAcquisitionDialogReadsTwoSources() {
        auto sim = StartSimulator(QStringLiteral("tds"));
        QVERIFY(!sim->devicePath.isEmpty());
        CZbApp app;
        app.m_ports.OverrideDevicePath(0, sim->devicePath);
        CZbDoc doc(&app);
        doc.m_nChannels = 1;
        CTekAcqDlg dialog(&doc);
        QSignalSpy redraws(&dialog, &CTekAcqDlg::redrawRequested);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Acquisition spectre Tektronix"));
        RunModal(dialog, [&] {
            QVERIFY(Monitor(&dialog));
            QVERIFY(!FindButton(&dialog, QStringLiteral("&Acq. paramètres complémentaires"))
                         ->isVisible());
            QVERIFY(FindButton(&dialog, QStringLiteral("Voie &1"))->isChecked());
            QTRY_VERIFY(Enabled(&dialog, "&Acquérir")); // identified
            QVERIFY(FindButton(&dialog, QStringLiteral("TDS &3XX"))->isChecked());

            QVERIFY(ClickButton(&dialog, QStringLiteral("Voie &2")));
            for (const char* other : {"&Ref1", "R&ef2", "&Math"})
                QVERIFY(!Enabled(&dialog, other));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Acquérir")));
            QVERIFY(!Enabled(&dialog, "&Fermer") && !Enabled(&dialog, "&Acquérir") &&
                    !Enabled(&dialog, "Voie &1") && !Enabled(&dialog, "TDS &XXX"));
            QTRY_VERIFY_WITH_TIMEOUT(
                Message(&dialog).startsWith(QStringLiteral("Fin d'acquisition.\n2500 valeurs")),
                15000);
            QVERIFY(Enabled(&dialog, "&Fermer") && Enabled(&dialog, "&Acquérir"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(doc.m_nPoints, std::int16_t(2499));
        QCOMPARE(doc.m_nChannels, std::int16_t(3));
        QCOMPARE(doc.m_nDisplay, std::int16_t(3));
        QVERIFY(redraws.count() >= 1);
        QCOMPARE(doc.m_astrLegend,
                 QStringList({"ACQ. OSCILLOSCOPE TEKTRONIX", "Nom(s)/Prénom(s):"}));
        QVERIFY(dialog.findChildren<CSerialMonitorDlg*>().isEmpty());
    }

    // The instrument goes away between two sources: the dialog says so,
    // "&Fermer" closes it, and the first source stays in the table.
    void aLostPortEndsTheAcquisition() {
        CTestPty pty;
        CZbApp app;
        app.m_ports.OverrideDevicePath(0, pty.SlavePath());
        CZbDoc doc(&app);
        doc.m_nChannels = 1 | 4;
        CTekAcqDlg dialog(&doc);
        RunModal(dialog, [&] {
            QByteArray seen;
            QVERIFY(WaitFor(pty, &seen, "ID?\n"));
            pty.Send("ID TEK/TDS 220,CF:91.1CT FV:v1.08\n");
            QTRY_VERIFY(Enabled(&dialog, "&Acquérir"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Acquérir")));
            QVERIFY(WaitFor(pty, &seen, "WFMPre:YOFf?\n"));
            pty.Send("2500\n0\n1.0E-5\n0.5\n0\n0\n");
            QVERIFY(WaitFor(pty, &seen, "CURVe?\n"));
            pty.Send("1,2,3,4,\n");
            QVERIFY(WaitFor(pty, &seen, "DATA:SOURCE REF1\n"));
            pty.CloseMaster();
            QTRY_VERIFY_WITH_TIMEOUT(
                Message(&dialog).startsWith(QStringLiteral("Liaison série interrompue !\n")), 5000);
            QVERIFY(Enabled(&dialog, "&Fermer"));
            QVERIFY(!Enabled(&dialog, "&Acquérir"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QVERIFY(!dialog.isVisible());
        QCOMPARE(doc.m_nPoints, std::int16_t(4));
        QCOMPARE(doc.m_fT[3][1], 2.0f);
    }

    // A scope that keeps sending holds the acquisition: Escape or the close
    // box stop it and close the window; the link goes, the first source stays.
    void closingWhileAcquiring_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("close box") << false;
    }
    void closingWhileAcquiring() {
        QFETCH(bool, escape);
        CTestPty pty;
        CZbApp app;
        app.m_ports.OverrideDevicePath(0, pty.SlavePath());
        CZbDoc doc(&app);
        doc.m_nChannels = 1 | 4;
        CTekAcqDlg dialog(&doc);
        RunModal(dialog, [&] {
            // Should the dialog refuse to close, the test still ends.
            const auto closeAnyway = qScopeGuard([&] {
                if (dialog.isVisible()) dialog.done(QDialog::Rejected);
            });
            QByteArray seen;
            QVERIFY(WaitFor(pty, &seen, "ID?\n"));
            pty.Send("ID TEK/TDS 220,CF:91.1CT FV:v1.08\n");
            QTRY_VERIFY(Enabled(&dialog, "&Acquérir"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Acquérir")));
            QVERIFY(WaitFor(pty, &seen, "WFMPre:YOFf?\n"));
            pty.Send("2500\n0\n1.0E-5\n0.5\n0\n0\n");
            QVERIFY(WaitFor(pty, &seen, "CURVe?\n"));
            pty.Send("1,2,3,4,\n");
            QVERIFY(WaitFor(pty, &seen, "DATA:SOURCE REF1\n"));
            for (int k = 0; k < 5; ++k) { // REF1's preamble never ends
                pty.Send("7,");
                QTest::qWait(20);
            }
            QVERIFY(!Enabled(&dialog, "&Fermer"));
            if (escape)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.close();
            QVERIFY(!dialog.isVisible());
        });
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.findChildren<CSerialMonitorDlg*>().isEmpty());
        QVERIFY(!dialog.m_controller.TimerRunning());
        QCOMPARE(doc.m_nPoints, std::int16_t(4));
        QCOMPARE(doc.m_fT[3][1], 2.0f);
        // The port is free again: another program can open it.
        QString reason;
        QVERIFY2(OpenSerialDevice(pty.SlavePath(), &reason), qPrintable(reason));
    }

    void theMenuCommandsOpenTheDialogs() {
        QVERIFY(CZbView::HasCommand(kCmdTekPort));
        QVERIFY(CZbView::HasCommand(kCmdTekAcquire));
        CZbApp app;
        app.m_ports.OverrideDevicePath(0, kMissing);
        CZbDoc doc(&app);
        CZbView view(doc, app);
        QString title;
        WhenModalOpens<CTekPortDlg>([&](CTekPortDlg* dialog) {
            title = dialog->windowTitle();
            ClickButton(dialog, QStringLiteral("&Quitter"));
        });
        view.RunCommand(kCmdTekPort);
        QCOMPARE(title, QStringLiteral("Définition port série Tektronix"));
        WhenModalOpens<CTekAcqDlg>([&](CTekAcqDlg* dialog) {
            title = dialog->windowTitle();
            ClickButton(dialog, QStringLiteral("&Fermer"));
        });
        view.RunCommand(kCmdTekAcquire);
        QCOMPARE(title, QStringLiteral("Acquisition spectre Tektronix"));
        QCOMPARE(doc.m_astrLegend.value(0), QStringLiteral("ACQ. OSCILLOSCOPE TEKTRONIX"));
    }

    void anAbsentPortKeepsAcquisitionDisabled() {
        CZbApp app;
        app.m_ports.OverrideDevicePath(0, kMissing);
        CZbDoc doc(&app);
        CTekAcqDlg dialog(&doc);
        RunModal(dialog, [&] {
            QCOMPARE(Message(&dialog), QStringLiteral("Erreur d'écriture sur le port série n°1 !"));
            QCOMPARE(Monitor(&dialog)->StatusText(),
                     QStringLiteral("Erreur de connexion au port COM1 !\n"
                                    "Le périphérique /dev/ttyLineatixNone n'existe pas."));
            QVERIFY(ClickButton(&dialog, QStringLiteral("Voie &2")));
            QVERIFY(!Enabled(&dialog, "&Acquérir"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QVERIFY(dialog.findChildren<CSerialMonitorDlg*>().isEmpty());
    }
};

QTEST_MAIN(TestTekDialogs)
#include "tst_tekdialogs.moc"
