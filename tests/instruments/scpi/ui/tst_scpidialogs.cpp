// "Connexion oscilloscope USB/Ethernet" and "Acquisition oscilloscope
// USB/Ethernet" driven with real clicks against a scripted Rigol or Keysight
// on a pseudo-terminal.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <functional>

#include "../scopeonpty.h"
#include "common/novalue.h"
#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/scpi/scpicontroller.h"
#include "instruments/scpi/ui/scpiacqdlg.h"
#include "instruments/scpi/ui/scpiportdlg.h"

class TestScpiDialogs : public QObject {
    Q_OBJECT

    CZbApp m_app;
    std::unique_ptr<CZbDoc> m_doc;

  private slots:
    void initTestCase() {
        QApplication::setOrganizationName(QStringLiteral("LineatixTest"));
        QApplication::setApplicationName(QStringLiteral("tst_scpidialogs"));
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    void init() {
        m_doc = std::make_unique<CZbDoc>(&m_app);
        m_app.m_ports.OverrideDevicePath(0, QStringLiteral("/dev/ttyLineatixNone0"));
        m_app.m_ports.OverrideDevicePath(1, QStringLiteral("/dev/ttyLineatixNone1"));
    }

    void thePortDialogIdentifiesTheScopeOnTheDeviceTyped() {
        CScopeOnPty scope(CScriptedScope::Keysight);
        scope.Start();
        m_doc->m_nScopePort = 1;
        CScpiPortDlg dialog(m_doc.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Connexion oscilloscope USB/Ethernet"));
        bool checked = false;
        RunModal(dialog, [&] {
            QCOMPARE(Message(&dialog), QStringLiteral("Cliquer sur Tester pour valider la "
                                                      "communication avec l'oscilloscope..."));
            // COM2 stands for nothing that exists.
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Tester")));
            QVERIFY(Message(&dialog).startsWith(
                QStringLiteral("Erreur de connexion au port COM2 !\nLe périphérique "
                               "/dev/ttyLineatixNone1 n'existe pas.")));
            QVERIFY(!FindButton(&dialog, QStringLiteral("&OK"))->isEnabled());

            ClickIndicator(FindButton(&dialog, QStringLiteral("COM&1")));
            auto* device = dialog.findChild<QComboBox*>(QStringLiteral("device"));
            QCOMPARE(device->currentText(), QStringLiteral("/dev/ttyLineatixNone0"));
            TypeInto(device->lineEdit(), scope.Path());
            QTest::keyClick(device->lineEdit(), Qt::Key_Return);
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("device1"))->text(), scope.Path());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Tester")));
            QVERIFY(!FindButton(&dialog, QStringLiteral("&Tester"))->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(Message(&dialog).startsWith(QStringLiteral("Identification:")),
                                     5000);
            QCOMPARE(Message(&dialog),
                     QStringLiteral("Identification:\nKEYSIGHT TECHNOLOGIES,DSO-X 1204G,"
                                    "CN00000001,02.10.2019111333\nOscilloscope Keysight/Agilent : "
                                    "acquisition possible."));
            QVERIFY(FindButton(&dialog, QStringLiteral("&Tester"))->isEnabled());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&OK")));
            checked = true;
        });
        QVERIFY(checked);
        QCOMPARE(m_doc->m_nScopePort, std::int16_t(0));
        QCOMPARE(m_app.m_ports.DevicePath(0), scope.Path());
        QCOMPARE(QSettings().value(QStringLiteral("Ports/COM1")).toString(), scope.Path());
        QCOMPARE(scope.Commands(), QStringList{"*IDN?"});
    }

    void aSilentDeviceIsAReadError() {
        CTestPty silent;
        m_app.m_ports.OverrideDevicePath(0, silent.SlavePath());
        m_doc->m_nScopePort = 0;
        CScpiPortDlg dialog(m_doc.get());
        RunModal(dialog, [&] {
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Tester")));
            QTRY_VERIFY_WITH_TIMEOUT(
                Message(&dialog) == QStringLiteral("Erreur de lecture sur COM1."), 6000);
            QVERIFY(!FindButton(&dialog, QStringLiteral("&OK"))->isEnabled());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Quitter")));
        });
        QCOMPARE(silent.ReadAvailable(), QByteArray("*IDN?\n"));
    }

    void twoChannelsAcquiredWithClicks() {
        CScopeOnPty scope(CScriptedScope::Rigol);
        scope.Start();
        m_app.m_ports.OverrideDevicePath(0, scope.Path());
        m_doc->m_nScopePort = 0;
        m_doc->m_nChannels = 1;
        int redraws = 0;
        CScpiAcqDlg dialog(m_doc.get());
        connect(&dialog, &CScpiAcqDlg::redrawRequested, [&] { ++redraws; });
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Acquisition oscilloscope USB/Ethernet"));
        bool done = false;
        RunAcquisitionDialog(dialog, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled(),
                                     5000);
            QCOMPARE(Message(&dialog),
                     QStringLiteral("Oscilloscope RIGOL TECHNOLOGIES DS1104Z.\nSélectionner les "
                                    "voies d'acquisition, puis cliquer sur Acquérir."));
            QVERIFY(Box(&dialog, QStringLiteral("Voie &1"))->isChecked());
            ClickIndicator(Box(&dialog, QStringLiteral("Voie &2")));
            QVERIFY(Box(&dialog, QStringLiteral("Voie &2"))->isChecked());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Acquérir")));
            QVERIFY(!FindButton(&dialog, QStringLiteral("&Fermer"))->isEnabled());
            QVERIFY(!Box(&dialog, QStringLiteral("Voie &1"))->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(
                Message(&dialog).startsWith(QStringLiteral("Fin d'acquisition.")), 10000);
            QCOMPARE(Message(&dialog),
                     QStringLiteral("Fin d'acquisition.\n"
                                    "Voie 1 : 12000 points lus, 5000 gardés dans le tableau.\n"
                                    "Voie 2 : 12000 points lus, 5000 gardés dans le tableau."));
            QVERIFY(FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
            done = true;
        });
        QVERIFY(done);
        QCOMPARE(m_doc->m_nPoints, std::int16_t(5000));
        QCOMPARE(m_doc->m_nChannels, std::int16_t(3));
        QCOMPARE(m_doc->m_nDisplay, std::int16_t(3));
        QVERIFY(!IsNoValue(m_doc->m_fT[4999][3]));
        QVERIFY(redraws >= 2);
        QVERIFY(scope.Running());
        QCOMPARE(scope.Commands().last(), QStringLiteral(":RUN"));
    }

    // A scope that keeps sending (or a deep memory read) holds "&Fermer":
    // Escape or the close box stop the acquisition and close the window with
    // its link; channel 1, read before, stays, nothing of channel 2 does.
    void closingWhileAcquiring_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("close box") << false;
    }
    void closingWhileAcquiring() {
        QFETCH(bool, escape);
        CScopeOnPty scope(CScriptedScope::Rigol);
        scope.Scope().m_muteOn = ":WAV:DATA?"; // channel 2's block comes from the test
        scope.Scope().m_muteOccurrence = 2;
        scope.Start();
        m_app.m_ports.OverrideDevicePath(0, scope.Path());
        m_doc->m_nScopePort = 0;
        m_doc->m_nChannels = 3;
        CScpiAcqDlg dialog(m_doc.get());
        CScpiAcqController* controller = dialog.Controller();
        RunAcquisitionDialog(dialog, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled(),
                                     5000);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Acquérir")));
            QTRY_VERIFY_WITH_TIMEOUT(
                Message(&dialog).startsWith(QStringLiteral("Acquisition de la voie 2")), 5000);
            QTRY_COMPARE_WITH_TIMEOUT(scope.Commands().last(), QStringLiteral(":WAV:DATA?"), 5000);
            scope.Send("#9000012000");
            for (int k = 0; k < 5; ++k) {
                scope.Send("U");
                QTest::qWait(20);
            }
            QVERIFY(!FindButton(&dialog, QStringLiteral("&Fermer"))->isEnabled());
            if (escape)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.close();
            QVERIFY(!dialog.isVisible());
        });
        QVERIFY(!dialog.isVisible());
        QVERIFY(!controller->Link()); // the port is let go
        QCOMPARE(controller->Acquisition().m_strMessage,
                 QStringLiteral("Acquisition arrêtée à la fermeture de la fenêtre (voie 2).\n"
                                "Voie 1 : 12000 points lus, 5000 gardés dans le tableau."));
        QTRY_COMPARE_WITH_TIMEOUT(scope.Commands().last(), QStringLiteral(":RUN"), 5000);
        QCOMPARE(m_doc->m_nPoints, std::int16_t(5000));
        QVERIFY(!IsNoValue(m_doc->m_fT[4999][1]));
        for (int r : {0, 4999})
            QVERIFY(IsNoValue(m_doc->m_fT[r][2]) && IsNoValue(m_doc->m_fT[r][3]));
    }

    void aChannelTheScopeDoesNotDisplayCannotBeTicked() {
        CScopeOnPty scope(CScriptedScope::Keysight);
        scope.Scope().m_displayed[0] = false;
        scope.Start();
        m_app.m_ports.OverrideDevicePath(0, scope.Path());
        m_doc->m_nScopePort = 0;
        m_doc->m_nChannels = 1;
        CScpiAcqDlg dialog(m_doc.get());
        RunAcquisitionDialog(dialog, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(Message(&dialog).contains(QStringLiteral("Sélectionner")),
                                     5000);
            QVERIFY(Message(&dialog).contains(
                QStringLiteral("Voie 1 non affichée sur l'oscilloscope.")));
            QCheckBox* one = Box(&dialog, QStringLiteral("Voie &1"));
            QVERIFY(!one->isChecked() && !one->isEnabled());
            ClickIndicator(one);
            QVERIFY(!one->isChecked());
            QVERIFY(!FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled());
            ClickIndicator(Box(&dialog, QStringLiteral("Voie &2")));
            QVERIFY(FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QVERIFY(!dialog.isVisible());
    }

    void aPortThatCannotBeOpenedLeavesOnlyFermer() {
        m_doc->m_nScopePort = 1;
        CScpiAcqDlg dialog(m_doc.get());
        RunAcquisitionDialog(dialog, [&] {
            QCOMPARE(Message(&dialog),
                     QStringLiteral("Erreur de connexion au port COM2 !\nLe périphérique "
                                    "/dev/ttyLineatixNone1 n'existe pas."));
            QVERIFY(!FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled());
            QVERIFY(!Box(&dialog, QStringLiteral("Voie &1"))->isEnabled());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(TestScpiDialogs)
#include "tst_scpidialogs.moc"
