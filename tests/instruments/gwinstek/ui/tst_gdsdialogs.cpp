// The GDS-820C dialogs driven with real clicks, against the simulated
// oscilloscope on a pseudo-terminal (or a test playing the instrument), with
// the capture monitor window living exactly as long as each dialog's link.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/ui/gdsacqdlg.h"
#include "instruments/gwinstek/ui/gdsportdlg.h"
#include "instruments/serial/serialdevice.h"
#include "instruments/serial/ui/capturedlg.h"
#include "ptysupport.h"

namespace {

QList<CSerialCaptureDlg*> CaptureWindows() {
    QList<CSerialCaptureDlg*> windows;
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* window = qobject_cast<CSerialCaptureDlg*>(widget)) windows << window;
    return windows;
}

bool HasLabel(const QWidget* window, const QString& text) {
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->text() == text) return true;
    return false;
}

// Message boxes open from the acquisition's own ticks, inside their own
// loop: a timer notes their text and presses OK.
class CBoxCloser : public QObject {
  public:
    CBoxCloser() {
        m_timer.callOnTimeout([this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_texts << box->text();
                box->accept();
            }
        });
        m_timer.start(20);
    }
    QStringList m_texts;

  private:
    QTimer m_timer;
};

} // namespace

class TestGdsDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    CZbApp m_app;
    std::unique_ptr<CZbDoc> m_doc;

  private slots:
    void initTestCase() {
        QApplication::setOrganizationName(QStringLiteral("LineatixTest"));
        QApplication::setApplicationName(QStringLiteral("tst_gdsdialogs"));
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    void init() {
        m_doc = std::make_unique<CZbDoc>(&m_app);
        m_doc->m_strCapturePath = m_dir.filePath(QStringLiteral("zb.$$$"));
        m_app.m_ports.OverrideDevicePath(0, QStringLiteral("/dev/ttyLineatixNone0"));
        m_app.m_ports.OverrideDevicePath(1, QStringLiteral("/dev/ttyLineatixNone1"));
    }

    void thePortDialogTestsTheDeviceTypedForCom1() {
        auto simulator = StartSimulator(QStringLiteral("gds"));
        QVERIFY(!simulator->devicePath.isEmpty());
        m_doc->m_nScopePort = 1;
        CGdsPortDlg dialog(m_doc.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Paramètres port série GDS-820C"));
        bool checked = false;
        RunModal(dialog, [&] {
            QList<CSerialCaptureDlg*> windows = CaptureWindows();
            QCOMPARE(windows.size(), 1);
            QCOMPARE(windows[0]->windowTitle(), QStringLiteral("Connexion au port série"));
            QVERIFY(!(windows[0]->windowFlags() & Qt::WindowCloseButtonHint));
            QVERIFY(HasLabel(windows[0], QStringLiteral("Octets (codes ASCII) reçus")));
            auto* status = windows[0]->findChild<QLabel*>(QStringLiteral("status"));
            QVERIFY(
                status->text().startsWith(QStringLiteral("Erreur de connexion au port COM2 !")));
            windows[0]->close(); // the user cannot close it
            QVERIFY(windows[0]->isVisible());
            QCOMPARE(Message(&dialog),
                     QStringLiteral("Cliquer sur Tester pour valider la communication avec "
                                    "l'oscilloscope..."));

            // COM1, then the simulator's device typed in as the device COM1 stands for.
            ClickIndicator(FindButton(&dialog, QStringLiteral("COM&1")));
            auto* device = dialog.findChild<QComboBox*>(QStringLiteral("device"));
            QCOMPARE(device->currentText(), QStringLiteral("/dev/ttyLineatixNone0"));
            TypeInto(device->lineEdit(), simulator->devicePath);
            QTest::keyClick(device->lineEdit(), Qt::Key_Return);
            QVERIFY(FindButton(&dialog, QStringLiteral("&Tester"))->isEnabled());
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("device1"))->text(),
                     simulator->devicePath);
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("device2"))->text(),
                     QStringLiteral("/dev/ttyLineatixNone1"));
            QCOMPARE(CaptureWindows().size(), 1); // the old link's window went with it
            status = CaptureWindows()[0]->findChild<QLabel*>(QStringLiteral("status"));
            QVERIFY(status->text().startsWith(QStringLiteral("Connecté à COM1:9600,8,'N',1")));

            QVERIFY(ClickButton(&dialog, QStringLiteral("&Tester")));
            QVERIFY(!FindButton(&dialog, QStringLiteral("&Tester"))->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(Message(&dialog).startsWith(QStringLiteral("Identification:")),
                                     5000);
            QCOMPARE(Message(&dialog),
                     QStringLiteral("Identification:\nGW,GDS-820C,SIMULATED,V1.00\n"));
            auto* received = CaptureWindows()[0]->findChild<QPlainTextEdit*>();
            QVERIFY(received->toPlainText().startsWith(QStringLiteral("47 57 2C ")));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&OK")));
            checked = true;
        });
        QVERIFY(checked);
        QCOMPARE(m_doc->m_nScopePort, std::int16_t(0));
        QCOMPARE(m_app.m_ports.DevicePath(0), simulator->devicePath);
        QCOMPARE(QSettings().value(QStringLiteral("Ports/COM1")).toString(), simulator->devicePath);
        QCOMPARE(CaptureWindows().size(), 0);
    }

    void twoChannelsAcquiredWithClicks() {
        auto simulator = StartSimulator(QStringLiteral("gds"));
        m_app.m_ports.OverrideDevicePath(0, simulator->devicePath);
        m_doc->m_nScopePort = 0;
        m_doc->m_nChannels = 1;
        CGdsAcqDlg dialog(m_doc.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Acquisition spectre GDS-820C"));
        bool done = false;
        RunAcquisitionDialog(dialog, [&] {
            QCOMPARE(CaptureWindows().size(), 1);
            QVERIFY(!Box(&dialog, QStringLiteral("&Mem1"))->isVisible());
            QVERIFY(!Box(&dialog, QStringLiteral("M&em2"))->isVisible());
            QVERIFY(!FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled(),
                                     5000);
            QCOMPARE(Message(&dialog),
                     QStringLiteral("Base de temps (s): 5.0e-004\nCalibre voie 1 "
                                    "(V): 1.0e+000\nCalibre voie 2 (V): 1.0e+000"));
            QVERIFY(Box(&dialog, QStringLiteral("Voie &1"))->isChecked());
            ClickIndicator(Box(&dialog, QStringLiteral("Voie &2")));
            QVERIFY(Box(&dialog, QStringLiteral("Voie &2"))->isChecked());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Acquérir")));
            QVERIFY(!FindButton(&dialog, QStringLiteral("&Fermer"))->isEnabled());
            QVERIFY(!Box(&dialog, QStringLiteral("Voie &1"))->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(
                Message(&dialog).startsWith(QStringLiteral("Fin d'acquisition.")), 10000);
            QCOMPARE(Message(&dialog),
                     QStringLiteral(
                         "Fin d'acquisition.\n4001 valeurs écrites dans le tableau.\n(8016)"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
            done = true;
        });
        QVERIFY(done);
        QCOMPARE(CaptureWindows().size(), 0);
        QCOMPARE(m_doc->m_nPoints, std::int16_t(4000));
        QCOMPARE(m_doc->m_nChannels, std::int16_t(3));
        QCOMPARE(m_doc->m_nDisplay, std::int16_t(3));
        QCOMPARE(m_doc->m_astrLegend.first(), QStringLiteral("ACQ. OSCILLOSCOPE GW INSTEK"));
    }

    void aChannelOffAndClosingWithoutAcquiring() {
        auto simulator = StartSimulator(QStringLiteral("gds"),
                                        {QStringLiteral("--channel-off"), QStringLiteral("2")});
        m_app.m_ports.OverrideDevicePath(0, simulator->devicePath);
        m_doc->m_nChannels = 3;
        m_doc->m_nPoints = 250; // shown before: dropped when the settings are read
        CGdsAcqDlg dialog(m_doc.get());
        RunAcquisitionDialog(dialog, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled(),
                                     5000);
            QVERIFY(!Box(&dialog, QStringLiteral("Voie &2"))->isChecked());
            QVERIFY(!Box(&dialog, QStringLiteral("Voie &2"))->isEnabled());
            QVERIFY(Box(&dialog, QStringLiteral("Voie &1"))->isEnabled());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(m_doc->m_nPoints, std::int16_t(0));
    }

    // A scope that keeps sending never lets the capture close: Escape or the
    // close box stop the acquisition and close the window with its link.
    void closingWhileAcquiring_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("close box") << false;
    }
    void closingWhileAcquiring() {
        QFETCH(bool, escape);
        CTestPty instrument;
        m_app.m_ports.OverrideDevicePath(0, instrument.SlavePath());
        CGdsAcqDlg dialog(m_doc.get());
        RunAcquisitionDialog(dialog, [&] {
            QByteArray written;
            QTRY_VERIFY((written += instrument.ReadAvailable()).endsWith(":MEASure:VMAX?\n"));
            instrument.Send("1.000ms\n2.00V\n2.00V\n5.0V\n5.0V\n");
            QTRY_VERIFY_WITH_TIMEOUT(FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled(),
                                     5000);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Acquérir")));
            written.clear();
            QTRY_COMPARE((written += instrument.ReadAvailable()), QByteArray(":ACQuire1:POINt\n"));
            for (int k = 0; k < 5; ++k) {
                instrument.Send("#");
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
        QCOMPARE(CaptureWindows().size(), 0);
        QVERIFY(!m_doc->m_bCaptureOpen);
        QString reason; // the port is free again
        QVERIFY2(OpenSerialDevice(instrument.SlavePath(), &reason), qPrintable(reason));
    }

    void aReplyThatIsNoBlockIsReportedInABox() {
        CTestPty instrument;
        m_app.m_ports.OverrideDevicePath(0, instrument.SlavePath());
        CGdsAcqDlg dialog(m_doc.get());
        CBoxCloser boxes;
        RunAcquisitionDialog(dialog, [&] {
            QByteArray written;
            QTRY_VERIFY((written += instrument.ReadAvailable()).endsWith(":MEASure:VMAX?\n"));
            instrument.Send("1.000ms\n2.00V\n2.00V\n5.0V\n5.0V\n");
            QTRY_VERIFY_WITH_TIMEOUT(FindButton(&dialog, QStringLiteral("&Acquérir"))->isEnabled(),
                                     5000);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Acquérir")));
            written.clear();
            QTRY_COMPARE((written += instrument.ReadAvailable()), QByteArray(":ACQuire1:POINt\n"));
            instrument.Send("ERR\n");
            QTRY_VERIFY_WITH_TIMEOUT(
                Message(&dialog).startsWith(QStringLiteral("Fin d'acquisition.")), 5000);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(boxes.m_texts, QStringList{QStringLiteral("Fichier non compatible !")});
        QCOMPARE(m_doc->m_nPoints, std::int16_t(0));
    }
};

QTEST_MAIN(TestGdsDialogs)
#include "tst_gdsdialogs.moc"
