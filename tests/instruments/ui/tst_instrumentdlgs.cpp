// The PC-MES3 and Leuze windows driven like a user, from the main window's
// commands, on the simulated card and the simulated reader (a pseudo-terminal).
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/application.h"
#include "app/mainframe.h"
#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/leuze/leuzelink.h"
#include "mainwindowtest.h"
#include "ptysupport.h"
#include "testsupport.h"
#include "view/commandids.h"

namespace {

const QString kCode = QStringLiteral("5410673004208");

// Runs drive on the modal dialog the next exec() opens; closes it by its
// close box if drive leaves it open.
void OnNextDialog(std::function<void(QDialog*)> drive) {
    QTimer::singleShot(0, [drive] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        drive(dialog);
        if (dialog->isVisible()) dialog->close();
    });
}

QAbstractButton* Radio(const QDialog* dialog, const QString& text) {
    for (QRadioButton* radio : dialog->findChildren<QRadioButton*>())
        if (radio->text() == text) return radio;
    return nullptr;
}

bool Enabled(const QDialog* dialog, const QString& text) {
    QAbstractButton* button = FindButton(dialog, text);
    return button && button->isEnabled();
}

// Everything the program sent over the pseudo-terminal within a short while.
QByteArray Received(CTestPty& pty) {
    QByteArray bytes;
    QTest::qWait(100);
    bytes += pty.ReadAvailable();
    return bytes;
}

} // namespace

class TestInstrumentDialogs : public CMainWindowTest {
    Q_OBJECT
  private slots:
    void initTestCase() { UseTestProfile(); }

    void init() { QVERIFY(OpenWindow()); }

    void cleanup() { CloseWindow(); }

    // Grey without port access or the simulated card.
    void pcMes3CommandNeedsTheCard() {
        m_frame->UpdateCommandUi();
        QVERIFY(!m_frame->Action(kCmdPcMes3)->isEnabled());
        UseSimulatedCard();
        QVERIFY(m_frame->Action(kCmdPcMes3)->isEnabled());
    }

    void simulatedCardFromTheCommandLine() {
        CZbApp app;
        QString error;
        QStringList arguments{QStringLiteral("--simulated-card"), kCode, QStringLiteral("a.cod")};
        QVERIFY(TakeSimulatedCard(&arguments, &app, &error));
        QCOMPARE(arguments, QStringList{QStringLiteral("a.cod")});
        QCOMPARE(app.m_strSimulatedCard, kCode);
        QVERIFY(app.m_bCardAvailable);
        for (const QStringList& bad :
             {QStringList{QStringLiteral("--simulated-card")},
              QStringList{QStringLiteral("--simulated-card"), QStringLiteral("54106730042")}}) {
            QStringList given = bad;
            QVERIFY(!TakeSimulatedCard(&given, &app, &error));
            QVERIFY(!error.isEmpty());
        }
        const ProcessResult run =
            RunLineatix({QStringLiteral("--simulated-card"), QStringLiteral("12")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("13 chiffres"));
    }

    void pcMes3RunAcquisition() {
        UseSimulatedCard();
        bool driven = false;
        OnNextDialog([&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Acquisition numérique PC-MES3"));
            QCOMPARE(
                Message(dialog),
                QStringLiteral("En mode Debug, une tempo de 2s est générée après chaque front."));
            QTest::mouseClick(Radio(dialog, QStringLiteral("&Debug")), Qt::LeftButton);
            QCOMPARE(Message(dialog), QStringLiteral("Temporisation de 2s entre les fronts."));
            QVERIFY(!Enabled(dialog, QStringLiteral("&Acquérir")));
            QTest::mouseClick(Radio(dialog, QStringLiteral("&Run")), Qt::LeftButton);
            QVERIFY(ClickButton(dialog, QStringLiteral("&Acquérir")));
            QVERIFY(!Enabled(dialog, QStringLiteral("&Fermer")));
            QVERIFY(!Radio(dialog, QStringLiteral("&Run"))->isEnabled());
            // About 122 steps of one 50 ms tick each.
            QTRY_VERIFY_WITH_TIMEOUT(Enabled(dialog, QStringLiteral("&Fermer")), 20000);
            QVERIFY(Message(dialog).startsWith(QStringLiteral("(120)\nN:")));
            QVERIFY(ClickButton(dialog, QStringLiteral("&Fermer")));
            driven = true;
        });
        m_frame->Action(kCmdPcMes3)->trigger();
        QVERIFY(driven);
        QCOMPARE(m_doc->m_nDisplay, std::int16_t(129));
        QCOMPARE(m_doc->m_fT[2][1], 1.05f); // the left guard's first bar
        QCOMPARE(m_doc->m_fT[1][1], 0.0f);
    }

    // A step does not freeze the window, but nothing else can start meanwhile.
    void pcMes3StepByStep() {
        UseSimulatedCard();
        OnNextDialog([&](QDialog* dialog) {
            QVERIFY(ClickButton(dialog, QStringLiteral("&Acq. pas à pas")));
            QVERIFY(!Enabled(dialog, QStringLiteral("&Acq. pas à pas")));
            QVERIFY(!Enabled(dialog, QStringLiteral("&Acquérir")));
            QTRY_VERIFY_WITH_TIMEOUT(Enabled(dialog, QStringLiteral("&Acq. pas à pas")), 5000);
            QCOMPARE(Message(dialog),
                     QStringLiteral("Mise à zéro du bit 0.\nPassage en mode lecture..."));
            QVERIFY(ClickButton(dialog, QStringLiteral("&Acq. pas à pas")));
            QTRY_VERIFY_WITH_TIMEOUT(Enabled(dialog, QStringLiteral("&Acq. pas à pas")), 5000);
            QCOMPARE(Message(dialog),
                     QStringLiteral("(0) pf: 255 (FF)\nOctet non pris en compte..."));
            QVERIFY(!Enabled(dialog, QStringLiteral("&Acquérir")));
        });
        m_frame->Action(kCmdPcMes3)->trigger();
    }

    void leuzeCommandsAreWired() {
        for (int id : {kCmdLeuzeConnect, kCmdLeuzeLaser, kCmdLeuzeRead})
            QVERIFY(m_frame->Action(id)->isEnabled());
    }

    void leuzeConnectionTestAndPortSwitch() {
        auto simulator = StartSimulator(QStringLiteral("leuze"));
        QVERIFY(!simulator->devicePath.isEmpty());
        m_app->m_ports.OverrideDevicePath(0, simulator->devicePath);
        m_app->m_ports.OverrideDevicePath(1, QStringLiteral("/dev/lineatix-none"));
        OnNextDialog([&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Connexion du lecteur Leuze"));
            QVERIFY(Radio(dialog, QStringLiteral("COM&1"))->isChecked());
            QVERIFY(ClickButton(dialog, QStringLiteral("&Tester")));
            QTRY_VERIFY_WITH_TIMEOUT(Enabled(dialog, QStringLiteral("&Tester")), 5000);
            QCOMPARE(Message(dialog), QStringLiteral("Identification:\nBCL32 V1.10 SIMULATION"));
            QTest::mouseClick(Radio(dialog, QStringLiteral("COM&2")), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(
                Message(dialog), QStringLiteral("Erreur de lecture sur COM2:9600,8,'N',1."), 2000);
            QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("linkStatus"))
                        ->text()
                        .startsWith(QStringLiteral("Erreur de connexion au port COM2 !")));
            QVERIFY(ClickButton(dialog, QStringLiteral("&Fermer")));
        });
        m_frame->Action(kCmdLeuzeConnect)->trigger();
        QCOMPARE(m_doc->m_nLeuzePort, std::int16_t(1));
    }

    void leuzeReadingFromTheToolbarCommand() {
        auto simulator = StartSimulator(
            QStringLiteral("leuze"),
            {QStringLiteral("--code"), kCode, QStringLiteral("--interval"), QStringLiteral("300")});
        QVERIFY(!simulator->devicePath.isEmpty());
        m_app->m_ports.OverrideDevicePath(0, simulator->devicePath);
        m_doc->m_nDisplay = 1;
        OnNextDialog([&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Lecture codes avec Leuze BCL32"));
            QCOMPARE(Message(dialog), QStringLiteral("Cliquer sur Lire..."));
            QVERIFY(ClickButton(dialog, QStringLiteral("&Lire")));
            QVERIFY(!Enabled(dialog, QStringLiteral("&Fermer")));
            QTRY_COMPARE_WITH_TIMEOUT(Message(dialog), QStringLiteral("Code lu: ") + kCode, 5000);
            QVERIFY(ClickButton(dialog, QStringLiteral("&Arrêter")));
            QCOMPARE(Message(dialog), QStringLiteral("Laser coupé..."));
            QVERIFY(ClickButton(dialog, QStringLiteral("&Fermer")));
        });
        m_frame->Action(kCmdLeuzeRead)->trigger();
        QCOMPARE(m_doc->m_strCode, kCode);
        QCOMPARE(m_doc->m_nDisplay, std::int16_t(0));
    }

    // Closed by its close box while reading, the dialog stops as "&Arrêter" does.
    void leuzeReadingClosedWhileReading() {
        CTestPty pty;
        QVERIFY(pty.IsOpen());
        m_app->m_ports.OverrideDevicePath(0, pty.SlavePath());
        OnNextDialog([&](QDialog* dialog) {
            QVERIFY(ClickButton(dialog, QStringLiteral("&Lire")));
            QCOMPARE(Received(pty),
                     LeuzeCommand(QStringLiteral("CA+")) + LeuzeCommand(QStringLiteral("DL+")));
            pty.Send("\x02"
                     "00EAN 4006381333931\r\n");
            QTRY_VERIFY_WITH_TIMEOUT(Message(dialog).startsWith(QStringLiteral("Code lu: ")), 3000);
            QTest::qWait(1000); // the restart is over
            pty.ReadAvailable();
            dialog->close();
            QCOMPARE(Received(pty), LeuzeCommand(QStringLiteral("H")));
        });
        m_frame->Action(kCmdLeuzeRead)->trigger();
        QCOMPARE(m_doc->m_strCode, QStringLiteral("4006381333931"));
    }

    // A laser left on is a hazard: the close box switches it off.
    void laserClosedWhileOn() {
        CTestPty pty;
        QVERIFY(pty.IsOpen());
        m_app->m_ports.OverrideDevicePath(0, pty.SlavePath());
        OnNextDialog([&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Mise en marche laser"));
            QVERIFY(ClickButton(dialog, QStringLiteral("&Démarrer")));
            QCOMPARE(Message(dialog), QStringLiteral("Faisceau présent..."));
            QVERIFY(FindButton(dialog, QStringLiteral("&Arrêter")));
            QCOMPARE(Received(pty),
                     LeuzeCommand(QStringLiteral("CA+")) + LeuzeCommand(QStringLiteral("DL+")));
            dialog->close();
            QCOMPARE(Received(pty), LeuzeCommand(QStringLiteral("H")));
        });
        m_frame->Action(kCmdLeuzeLaser)->trigger();
    }

  private:
    // As --simulated-card CODE does at start.
    void UseSimulatedCard() {
        QStringList arguments{QStringLiteral("--simulated-card"), kCode};
        QString error;
        QVERIFY(TakeSimulatedCard(&arguments, m_app.get(), &error));
        m_frame->UpdateCommandUi();
    }
};

QTEST_MAIN(TestInstrumentDialogs)
#include "tst_instrumentdlgs.moc"
