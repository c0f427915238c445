// The serial device on a real pseudo-terminal: bytes both ways unchanged,
// the exclusive open, the reasons a user reads when a port cannot be opened,
// a device that goes away, the monitors' texts, and the names COM1 and COM2.

#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "instruments/serial/monitorstatus.h"
#include "instruments/serial/portnames.h"
#include "instruments/serial/serialdevice.h"
#include "ptysupport.h"

class TestSerialDevice : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QCoreApplication::setOrganizationName(QStringLiteral("LineatixTest"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_serialdevice"));
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    void everyByteValuePassesBothWays() {
        CTestPty pty;
        QVERIFY(pty.IsOpen());
        QString reason;
        auto device = OpenSerialDevice(pty.SlavePath(), &reason);
        QVERIFY2(device, qPrintable(reason));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QVERIFY(device->Write(all));
        QByteArray sent;
        QTRY_VERIFY((sent += pty.ReadAvailable()).size() >= 256);
        QCOMPARE(sent, all);

        QSignalSpy arrived(device.get(), &CSerialTransport::BytesArrived);
        QVERIFY(pty.Send(all));
        QByteArray received;
        QTRY_VERIFY((received += device->ReadPending()).size() >= 256);
        QCOMPARE(received, all);
        QVERIFY(arrived.count() >= 1);
        QVERIFY(device->ReadPending().isEmpty()); // nothing more: returns at once
    }

    void aSecondOpenIsRefusedAsInUse() {
        CTestPty pty;
        QString reason;
        auto first = OpenSerialDevice(pty.SlavePath(), &reason);
        QVERIFY(first);
        QVERIFY(!OpenSerialDevice(pty.SlavePath(), &reason));
        QCOMPARE(reason, QStringLiteral("Le périphérique %1 est utilisé par un autre programme.")
                             .arg(pty.SlavePath()));
        first.reset();
        QVERIFY(OpenSerialDevice(pty.SlavePath(), &reason)); // free again once closed
    }

    void missingAndForbiddenDevices() {
        QString reason;
        QVERIFY(!OpenSerialDevice(QStringLiteral("/dev/ttyLineatixNone"), &reason));
        QCOMPARE(reason, QStringLiteral("Le périphérique /dev/ttyLineatixNone n'existe pas."));
        QVERIFY(!OpenSerialDevice(QString(), &reason));
        QVERIFY(!reason.isEmpty());
        // A plain file is not a terminal: refused with a reason, never a crash.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("notatty"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!OpenSerialDevice(path, &reason));
        QVERIFY(reason.contains(path));
    }

    void aDeviceThatGoesAwayIsReported() {
        auto pty = std::make_unique<CTestPty>();
        QString reason;
        auto device = OpenSerialDevice(pty->SlavePath(), &reason);
        QVERIFY(device);
        QSignalSpy lost(device.get(), &CSerialTransport::Lost);
        pty.reset(); // both ends of the far side closed: the terminal hangs up
        QTRY_VERIFY_WITH_TIMEOUT(lost.count() == 1, 3000);
        QVERIFY(!device->IsOpen());
        QVERIFY(!device->Write("ID?\n"));
    }

    void monitorTexts() {
        QCOMPARE(ConnectedLine(1, 3725),
                 QStringLiteral("Connecté à COM2:9600,8,'N',1 depuis 01:02:05"));
        QCOMPARE(ElapsedText(0), QStringLiteral("00:00:00"));
        QCOMPARE(ConnectionErrorText(0, QStringLiteral("Le périphérique /dev/ttyS0 n'existe pas.")),
                 QStringLiteral("Erreur de connexion au port COM1 !\n"
                                "Le périphérique /dev/ttyS0 n'existe pas."));
        const QString text(141, QLatin1Char('x'));
        QCOMPARE(FoldDisplay(text.left(140), 140), text.left(140));
        QCOMPARE(FoldDisplay(text, 140), QStringLiteral("... ") + text.left(140));
    }

    void portNames() {
        CPortNames names;
        QCOMPARE(names.DevicePath(0), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(names.DevicePath(1), QStringLiteral("/dev/ttyS1"));
        QCOMPARE(names.Resolve(QStringLiteral("com2")), QStringLiteral("/dev/ttyS1"));
        QCOMPARE(names.Resolve(QStringLiteral("/dev/pts/7")), QStringLiteral("/dev/pts/7"));

        names.SetDevicePath(0, QStringLiteral("/dev/ttyUSB0"));
        CPortNames later; // the choice is kept in the profile
        later.LoadProfile();
        QCOMPARE(later.DevicePath(0), QStringLiteral("/dev/ttyUSB0"));

        QStringList arguments{QStringLiteral("--com2"), QStringLiteral("/tmp/scope"),
                              QStringLiteral("essai.cod")};
        QString error;
        QVERIFY(later.TakeCommandLine(&arguments, &error));
        QCOMPARE(arguments, QStringList{QStringLiteral("essai.cod")});
        later.LoadProfile(); // a run's choice wins over the profile
        QCOMPARE(later.DevicePath(1), QStringLiteral("/tmp/scope"));
        CPortNames next;
        next.LoadProfile();
        QCOMPARE(next.DevicePath(1), QStringLiteral("/dev/ttyS1")); // and is not kept

        QStringList missing{QStringLiteral("--com1")};
        QVERIFY(!later.TakeCommandLine(&missing, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSerialDevice)
#include "tst_serialdevice.moc"
