// The links beside the serial one: how a port is written chooses the
// transport; a raw SCPI socket on 127.0.0.1 (queued writes, replies split
// anywhere, refused, dropped and unknown addresses); the usbtmc transport
// against a stand-in that keeps the driver's rules (one command a message,
// a read only after a query, reads blocking off the window's thread), on a
// real file descriptor through a pseudo-terminal, and the VISA USB lookup in a
// sysfs tree made for the test.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "instruments/serial/monitorstatus.h"
#include "instruments/serial/portaddress.h"
#include "instruments/serial/portnames.h"
#include "instruments/serial/sockettransport.h"
#include "instruments/serial/textlink.h"
#include "instruments/serial/transportfactory.h"
#include "instruments/serial/usbtmcdevice.h"
#include "instruments/serial/usbtmctransport.h"
#include "mutation.h"
#include "ptysupport.h"

namespace {

const QByteArray kIdReply = "ID TEK/TDS 340A,CF:91.1CT FV:v1.01\n";

// A port on 127.0.0.1 that nobody listens on: bound, then let go.
quint16 ClosedPort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) return 0;
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

// An instrument behind the usbtmc driver, as a test sees it: every message
// written and every read is logged with the thread it came from; a read
// answers the last query, and breaks the driver's rules loudly otherwise.
class CFakeUsbtmc : public CUsbtmcDevice {
  public:
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        QStringList log;    // "W:<message>" and "R"
        QStringList faults; // the driver's rules broken
        QList<Qt::HANDLE> threads;
        QByteArray unanswered; // the query waiting for its read
        int failWritesWith = 0;
        bool holdReads = false; // a read blocks until this is cleared
        bool silent = false;    // reads end with the driver's time-out
        bool closed = false;    // the device was let go
    };

    explicit CFakeUsbtmc(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
    ~CFakeUsbtmc() override {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->closed = true;
        m_shared->changed.notify_all();
    }

    int Write(const QByteArray& message) override {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->threads << QThread::currentThreadId();
        m_shared->log << QStringLiteral("W:") + QString::fromLatin1(message);
        if (m_shared->failWritesWith) return m_shared->failWritesWith;
        if (!m_shared->unanswered.isEmpty())
            m_shared->faults << QStringLiteral("command sent before the reply was read");
        if (message.count('\n') != 1 || !message.endsWith('\n'))
            m_shared->faults << QStringLiteral("not one command: ") + QString::fromLatin1(message);
        if (message.contains('?')) m_shared->unanswered = message;
        m_shared->changed.notify_all();
        return 0;
    }

    int Read(QByteArray* reply) override {
        std::unique_lock<std::mutex> lock(m_shared->mutex);
        m_shared->threads << QThread::currentThreadId();
        m_shared->log << QStringLiteral("R");
        m_shared->changed.notify_all();
        m_shared->changed.wait(lock, [this] { return !m_shared->holdReads; });
        if (m_shared->unanswered.isEmpty()) {
            m_shared->faults << QStringLiteral("read without a query");
            return ETIMEDOUT;
        }
        const QByteArray query = m_shared->unanswered;
        m_shared->unanswered.clear();
        if (m_shared->silent) return ETIMEDOUT;
        *reply += query.startsWith("ID?") ? kIdReply : "reply to " + query;
        return 0;
    }

  private:
    std::shared_ptr<Shared> m_shared;
};

struct UsbtmcFixture {
    std::shared_ptr<CFakeUsbtmc::Shared> shared = std::make_shared<CFakeUsbtmc::Shared>();
    std::unique_ptr<CUsbtmcTransport> transport = std::make_unique<CUsbtmcTransport>(
        std::make_unique<CFakeUsbtmc>(shared), QStringLiteral("/dev/usbtmc0"));

    QStringList Log() {
        std::lock_guard<std::mutex> lock(shared->mutex);
        return shared->log;
    }
    QStringList Faults() {
        std::lock_guard<std::mutex> lock(shared->mutex);
        return shared->faults;
    }
    // Everything received until `size` bytes have come (or the wait ends).
    QByteArray Receive(qsizetype size) {
        QByteArray all;
        (void)QTest::qWaitFor([&] { return (all += transport->ReadPending()).size() >= size; },
                              5000);
        return all;
    }
};

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(content);
}

// One USB device in a sysfs tree: its numbers on the device's node, the
// usbtmc class node below its interface, and the class entry linking there.
void AddUsbDevice(const QString& root, const QString& port, const QByteArray& vendor,
                  const QByteArray& product, const QByteArray& serial, const QString& node) {
    const QString device = root + QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1/") + port;
    const QString classNode =
        device + QLatin1Char('/') + port + QStringLiteral(":1.0/usbmisc/") + node;
    QDir().mkpath(classNode);
    WriteFile(device + QStringLiteral("/idVendor"), vendor + '\n');
    WriteFile(device + QStringLiteral("/idProduct"), product + '\n');
    WriteFile(device + QStringLiteral("/serial"), serial + '\n');
    QDir().mkpath(root + QStringLiteral("/class/usbmisc"));
    QFile::link(QDir(root + QStringLiteral("/class/usbmisc")).relativeFilePath(classNode),
                root + QStringLiteral("/class/usbmisc/") + node);
}

} // namespace

class TestTransports : public QObject {
    Q_OBJECT

  private slots:
    void addresses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("where"); // device, host, or the serial number
        QTest::addColumn<int>("number");    // TCP port, or vendor * 65536 + product
        QTest::addColumn<QString>("error"); // a part of the refusal's text
        const int serial = CPortAddress::kSerial, socket = CPortAddress::kSocket,
                  usbtmc = CPortAddress::kUsbtmcDevice, usb = CPortAddress::kUsbtmcInstrument,
                  invalid = CPortAddress::kInvalid;
        QTest::newRow("serial device") << "/dev/ttyS0" << serial << "/dev/ttyS0" << 0 << "";
        QTest::newRow("usb adapter") << "/dev/ttyUSB0" << serial << "/dev/ttyUSB0" << 0 << "";
        QTest::newRow("by-id name with colons")
            << "/dev/serial/by-id/usb-FTDI_FT232R-if00:port0" << serial
            << "/dev/serial/by-id/usb-FTDI_FT232R-if00:port0" << 0 << "";
        QTest::newRow("bare device name") << "ttyS1" << serial << "ttyS1" << 0 << "";
        QTest::newRow("host:port") << "192.168.0.20:5555" << socket << "192.168.0.20" << 5555 << "";
        QTest::newRow("name:port, spaces")
            << " scope.lab:5025 " << socket << "scope.lab" << 5025 << "";
        QTest::newRow("IPv6") << "[fe80::1]:5025" << socket << "fe80::1" << 5025 << "";
        QTest::newRow("VISA socket")
            << "TCPIP::192.168.0.20::5555::SOCKET" << socket << "192.168.0.20" << 5555 << "";
        QTest::newRow("VISA socket, board 0, lower case")
            << "tcpip0::10.0.0.5::5025::socket" << socket << "10.0.0.5" << 5025 << "";
        QTest::newRow("VXI-11") << "TCPIP::192.168.0.20::INSTR" << invalid << "" << 0 << "5555";
        QTest::newRow("VXI-11, device name")
            << "TCPIP0::192.168.0.20::inst0::INSTR" << invalid << "" << 0 << "VXI-11";
        QTest::newRow("HiSLIP") << "TCPIP::k-dsox::hislip0::INSTR" << invalid << "" << 0 << "5025";
        QTest::newRow("VISA host alone") << "TCPIP::192.168.0.20" << invalid << "" << 0 << "VXI-11";
        QTest::newRow("VISA socket, bad port")
            << "TCPIP::h::99999::SOCKET" << invalid << "" << 0 << "n'est pas valide";
        QTest::newRow("port 0") << "host:0" << invalid << "" << 0 << "host:0";
        QTest::newRow("port too large") << "host:65536" << invalid << "" << 0 << "1 à 65535";
        QTest::newRow("port not a number") << "host:abc" << invalid << "" << 0 << "host:abc";
        QTest::newRow("signed port") << "host:+80" << invalid << "" << 0 << "host:+80";
        QTest::newRow("no host") << ":5555" << invalid << "" << 0 << ":5555";
        QTest::newRow("address without port")
            << "192.168.0.20" << invalid << "" << 0 << "192.168.0.20";
        QTest::newRow("usbtmc node") << "/dev/usbtmc0" << usbtmc << "/dev/usbtmc0" << 0 << "";
        QTest::newRow("usbtmc bare name") << "usbtmc3" << usbtmc << "/dev/usbtmc3" << 0 << "";
        QTest::newRow("VISA USB, Rigol") << "USB0::0x1AB1::0x04CE::DS1ZA123456789::INSTR" << usb
                                         << "DS1ZA123456789" << (0x1AB1 * 65536 + 0x04CE) << "";
        QTest::newRow("VISA USB, decimal, interface")
            << "usb::10893::918::MY59124583::0::instr" << usb << "MY59124583"
            << (10893 * 65536 + 918) << "";
        QTest::newRow("VISA USB, bad vendor")
            << "USB0::0xZZ::0x04CE::X::INSTR" << invalid << "" << 0 << "USB0::0xZZ";
        QTest::newRow("VISA USB, no serial")
            << "USB0::0x1AB1::0x04CE::INSTR" << invalid << "" << 0 << "NUMERO_DE_SERIE";
        QTest::newRow("empty") << "  " << invalid << "" << 0 << "Aucun périphérique";
    }
    void addresses() {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, where);
        QFETCH(int, number);
        QFETCH(QString, error);
        const CPortAddress address = ParsePortAddress(text);
        QCOMPARE(int(address.kind), kind);
        switch (address.kind) {
        case CPortAddress::kSerial:
        case CPortAddress::kUsbtmcDevice:
            QCOMPARE(address.device, where);
            break;
        case CPortAddress::kSocket:
            QCOMPARE(address.host, where);
            QCOMPARE(int(address.port), number);
            break;
        case CPortAddress::kUsbtmcInstrument:
            QCOMPARE(address.serial, where);
            QCOMPARE(address.vendor * 65536 + address.product, number);
            break;
        case CPortAddress::kInvalid:
            QVERIFY2(address.error.contains(error), qPrintable(address.error));
            break;
        }
    }

    // Whatever is typed, the parse ends with a kind and what it needs.
    void mutatedAddresses() {
        const QByteArray good[] = {"192.168.0.20:5555",
                                   "TCPIP0::10.0.0.5::5025::SOCKET",
                                   "TCPIP::scope::inst0::INSTR",
                                   "[fe80::1]:5025",
                                   "USB0::0x1AB1::0x04CE::DS1ZA123456789::INSTR",
                                   "/dev/usbtmc0",
                                   "/dev/ttyUSB0"};
        QRandomGenerator random(19);
        for (int i = 0; i < 4000; ++i) {
            const QByteArray text = Mutate(random, good[i % std::size(good)]);
            const CPortAddress address = ParsePortAddress(QString::fromLatin1(text));
            switch (address.kind) {
            case CPortAddress::kInvalid:
                QVERIFY2(!address.error.isEmpty(), text.constData());
                break;
            case CPortAddress::kSocket:
                QVERIFY2(!address.host.isEmpty() && address.port > 0, text.constData());
                break;
            case CPortAddress::kUsbtmcInstrument:
                QVERIFY2(!address.serial.isEmpty(), text.constData());
                break;
            default:
                QVERIFY2(!address.device.isEmpty(), text.constData());
            }
        }
    }

    // However the writes cut the text, the commands come out whole and in order.
    void commandsCutAnywhereComeOutWhole() {
        const QByteArray text = "DATA:ENCDG ASCII\nRS232:PRESET\nID?\n\nWFMPre:CH1:NR_Pt?\nCURV";
        QRandomGenerator random(7);
        for (int run = 0; run < 500; ++run) {
            QByteArray partial, joined;
            for (qsizetype at = 0; at < text.size();) {
                const qsizetype length = random.bounded(1, 12);
                for (const QByteArray& command : SplitCommands(text.mid(at, length), &partial)) {
                    QCOMPARE(command.count('\n'), 1);
                    QVERIFY(command.endsWith('\n'));
                    joined += command;
                }
                at += length;
            }
            QCOMPARE(joined + partial, text);
            QCOMPARE(partial, QByteArray("CURV"));
        }
        QVERIFY(IsQuery("*IDN?\n") && IsQuery("WFMPre:CH1:NR_Pt?\n"));
        QVERIFY(!IsQuery("DATa:SOUrce CH1\n"));
    }

    // A stable name made by a udev rule for the scope leads to a usbtmc node.
    void aLinkToAUsbtmcNodeIsUsbtmc() {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("oscillo"));
        QVERIFY(QFile::link(QStringLiteral("/dev/usbtmc7"), link));
        QCOMPARE(int(ParsePortAddress(link).kind), int(CPortAddress::kUsbtmcDevice));
        const QString other = dir.filePath(QStringLiteral("adapter"));
        QVERIFY(QFile::link(QStringLiteral("/dev/ttyUSB0"), other));
        QCOMPARE(int(ParsePortAddress(other).kind), int(CPortAddress::kSerial));
    }

    // COM1 and COM2 stand for any address; --com1 takes one.
    void portNamesTakeAddresses() {
        CPortNames ports;
        QStringList arguments{"--com1", "192.168.0.20:5555", "--com2",
                              "USB0::0x1AB1::0x04CE::X::INSTR"};
        QString error;
        QVERIFY(ports.TakeCommandLine(&arguments, &error));
        QCOMPARE(ports.Resolve(QStringLiteral("com1")), QStringLiteral("192.168.0.20:5555"));
        QCOMPARE(ports.Resolve(QStringLiteral("COM2")),
                 QStringLiteral("USB0::0x1AB1::0x04CE::X::INSTR"));
    }

    void theFactoryRefusesWhatItCannotOpen_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("reason");
        QTest::newRow("VXI-11")
            << "TCPIP::127.0.0.1::INSTR"
            << "L'adresse TCPIP::127.0.0.1::INSTR demande le protocole VXI-11, que Lineatix ne "
               "parle pas : donner le port SCPI brut de l'oscilloscope, 5555 sur un Rigol, 5025 "
               "sur un Keysight (par exemple TCPIP::ADRESSE::5555::SOCKET ou ADRESSE:5555).";
        QTest::newRow("bad port") << "127.0.0.1:0"
                                  << "Le port réseau de l'adresse 127.0.0.1:0 n'est pas valide (un "
                                     "nombre de 1 à 65535 ; 5555 sur un Rigol, 5025 sur un "
                                     "Keysight).";
        QTest::newRow("USB instrument not plugged in")
            << "USB0::0x1AB1::0x04CE::LINEATIXNONE::INSTR"
            << "L'appareil USB USB0::0x1AB1::0x04CE::LINEATIXNONE::INSTR n'est pas branché (ou "
               "le pilote usbtmc n'est pas chargé).";
        QTest::newRow("usbtmc node absent") << "/dev/usbtmc99"
                                            << "Le périphérique /dev/usbtmc99 n'existe pas.";
        QTest::newRow("serial device absent")
            << "/dev/ttyLineatixNone"
            << "Le périphérique /dev/ttyLineatixNone n'existe pas.";
    }
    void theFactoryRefusesWhatItCannotOpen() {
        QFETCH(QString, address);
        QFETCH(QString, reason);
        QString why;
        QVERIFY(!OpenTransport(address, &why));
        QCOMPARE(why, reason);
    }

    // ---- the raw SCPI socket ------------------------------------------------

    void writesBeforeTheConnectionWaitForIt() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QString reason;
        auto transport =
            OpenTransport(QStringLiteral("127.0.0.1:%1").arg(server.serverPort()), &reason);
        QVERIFY2(transport, qPrintable(reason));
        auto* socket = qobject_cast<CSocketTransport*>(transport.get());
        QVERIFY(socket);
        QVERIFY(!socket->IsConnected()); // the window did not wait for it
        QVERIFY(transport->IsOpen());
        QVERIFY(transport->Write("RS232:PRESET\n"));
        QVERIFY(transport->Write("ID?\n"));
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket* peer = server.nextPendingConnection();
        QByteArray got;
        QVERIFY(QTest::qWaitFor([&] { return (got += peer->readAll()).size() >= 17; }, 5000));
        QCOMPARE(got, QByteArray("RS232:PRESET\nID?\n"));
        QVERIFY(socket->IsConnected());
        QCOMPARE(ConnectedLine(0, 65, transport->LinkName()),
                 QStringLiteral("Connecté à COM1 (127.0.0.1:%1) depuis 00:01:05")
                     .arg(server.serverPort()));
        // Once up, a write goes straight out.
        QVERIFY(transport->Write("CURVe?\n"));
        got.clear();
        QVERIFY(QTest::qWaitFor([&] { return (got += peer->readAll()).size() >= 7; }, 5000));
        QCOMPARE(got, QByteArray("CURVe?\n"));
    }

    // A reply cut anywhere by the network comes out whole as lines.
    void repliesSplitAtEveryOffset() {
        const QByteArray reply = kIdReply + "-12,0,127,-128\r\n";
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const QString address = QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
        for (int cut = 0; cut <= reply.size(); ++cut) {
            QString reason;
            CTextSerialLink link(0, OpenTransport(address, &reason), reason);
            QVERIFY(link.IsOpen());
            QVERIFY(server.waitForNewConnection(5000));
            QTcpSocket* peer = server.nextPendingConnection();
            peer->write(reply.left(cut));
            peer->flush();
            QVERIFY(QTest::qWaitFor([&] { return link.m_strBuffer.size() >= cut; }, 5000));
            peer->write(reply.mid(cut));
            peer->flush();
            QVERIFY(QTest::qWaitFor([&] { return link.m_strBuffer.size() >= reply.size(); }, 5000));
            QCOMPARE(link.ReadLine(), QString::fromLatin1(kIdReply).trimmed());
            QCOMPARE(link.ReadLine(), QStringLiteral("-12,0,127,-128"));
            QVERIFY(link.m_strBuffer.isEmpty());
            delete peer;
        }
    }

    void aRefusedConnectionIsLost() {
        const quint16 port = ClosedPort();
        QVERIFY(port != 0);
        const QString address = QStringLiteral("127.0.0.1:%1").arg(port);
        QString reason;
        CTextSerialLink link(0, OpenTransport(address, &reason), reason);
        QVERIFY(link.Send("ID?\n")); // queued: the refusal comes later
        QSignalSpy lost(&link, &CTextSerialLink::Lost);
        QVERIFY(lost.wait(5000));
        const QString expected = QStringLiteral("Connexion refusée par %1 : l'appareil n'a pas de "
                                                "serveur SCPI sur ce port (5555 sur un Rigol, 5025 "
                                                "sur un Keysight).")
                                     .arg(address);
        QCOMPARE(lost.at(0).at(0).toString(), expected);
        QVERIFY(!link.IsOpen());
        QVERIFY(!link.Send("ID?\n"));
        QCOMPARE(link.Monitor().m_strStatus,
                 QStringLiteral("Erreur de connexion au port COM1 !\n") + expected);
    }

    // The scope closes the connection halfway through a reply: what came is
    // handed on, then the link is lost.
    void aConnectionDroppedMidReplyIsLost() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const QString address = QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
        QString reason;
        CTextSerialLink link(0, OpenTransport(address, &reason), reason);
        QSignalSpy lost(&link, &CTextSerialLink::Lost);
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket* peer = server.nextPendingConnection();
        peer->write("12,34,5");
        peer->flush();
        peer->disconnectFromHost();
        QVERIFY(lost.wait(5000));
        QCOMPARE(lost.at(0).at(0).toString(),
                 QStringLiteral("L'appareil %1 a fermé la connexion.").arg(address));
        QCOMPARE(link.m_strBuffer, QStringLiteral("12,34,5"));
        QVERIFY(!link.IsOpen());
    }

    // No network is needed: the name cannot resolve, and the wait is bounded
    // by the connection's time-out whatever the resolver does.
    void anUnknownHostIsLost() {
        CSocketTransport transport(QStringLiteral("nohost.invalid"), 5555);
        transport.SetConnectTimeout(3000);
        QSignalSpy lost(&transport, &CSerialTransport::Lost);
        QVERIFY(transport.Write("ID?\n"));
        QVERIFY(lost.wait(6000));
        const QString reason = lost.at(0).at(0).toString();
        QVERIFY2(reason == QStringLiteral("Adresse inconnue : nohost.invalid:5555 (nom introuvable "
                                          "sur le réseau).") ||
                     reason.startsWith(QStringLiteral("L'appareil nohost.invalid:5555 est "
                                                      "injoignable")),
                 qPrintable(reason));
        QVERIFY(!transport.IsOpen());
        QVERIFY(!transport.Write("ID?\n"));
    }

    void socketErrorTexts() {
        QCOMPARE(SocketErrorText(QStringLiteral("10.0.0.9:5025"),
                                 QAbstractSocket::SocketTimeoutError, QString()),
                 QStringLiteral("L'appareil 10.0.0.9:5025 est injoignable : vérifier son adresse, "
                                "son câble réseau et qu'il est allumé."));
        QCOMPARE(SocketErrorText(QStringLiteral("10.0.0.9:5025"), QAbstractSocket::NetworkError,
                                 QString()),
                 SocketErrorText(QStringLiteral("10.0.0.9:5025"),
                                 QAbstractSocket::SocketTimeoutError, QString()));
    }

    // ---- usbtmc ---------------------------------------------------------------

    void usbtmcSendsOneCommandAtATimeAndReadsOnlyAfterQueries() {
        UsbtmcFixture f;
        QVERIFY(f.transport->Write("DATA:ENCDG ASCII\nRS232:PRESET\nID?\n"));
        QVERIFY(f.transport->Write("DATa:SOUrce CH1\nCURVe?\nDATa:SOUrce CH2\nCURV"));
        QVERIFY(f.transport->Write("e?\n"));
        const QByteArray expected = kIdReply + "reply to CURVe?\n" + "reply to CURVe?\n";
        QCOMPARE(f.Receive(expected.size()), expected);
        QCOMPARE(f.Log(), QStringList({"W:DATA:ENCDG ASCII\n", "W:RS232:PRESET\n", "W:ID?\n", "R",
                                       "W:DATa:SOUrce CH1\n", "W:CURVe?\n", "R",
                                       "W:DATa:SOUrce CH2\n", "W:CURVe?\n", "R"}));
        QCOMPARE(f.Faults(), QStringList());
    }

    // Reads block in the driver: they run on the transport's own thread, and
    // its signals come on the owner's.
    void usbtmcReadsBlockOffTheOwnersThread() {
        UsbtmcFixture f;
        {
            std::lock_guard<std::mutex> lock(f.shared->mutex);
            f.shared->holdReads = true;
        }
        QThread* signalThread = nullptr;
        connect(
            f.transport.get(), &CSerialTransport::BytesArrived, this,
            [&] { signalThread = QThread::currentThread(); }, Qt::DirectConnection);
        QVERIFY(f.transport->Write("ID?\n"));
        QVERIFY(QTest::qWaitFor([&] { return f.Log().contains(QStringLiteral("R")); }, 5000));
        // The read is blocked; the owner still writes and its timers run.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(f.transport->Write("DATA:ENCDG ASCII\n"));
        QTest::qWait(50);
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(f.Log(), QStringList({"W:ID?\n", "R"})); // the command waits for the reply
        {
            std::lock_guard<std::mutex> lock(f.shared->mutex);
            f.shared->holdReads = false;
        }
        f.shared->changed.notify_all();
        QCOMPARE(f.Receive(kIdReply.size()), kIdReply);
        QTRY_COMPARE(f.Log().size(), 3);
        QTRY_VERIFY(signalThread);
        QCOMPARE(signalThread, QThread::currentThread());
        std::lock_guard<std::mutex> lock(f.shared->mutex);
        for (Qt::HANDLE id : f.shared->threads)
            QVERIFY(id != QThread::currentThreadId());
        QCOMPARE(f.shared->faults, QStringList());
    }

    // A query the instrument does not answer ends with the driver's time-out:
    // no bytes, the link stays up and the next command goes out.
    void usbtmcSilenceIsNotALoss() {
        UsbtmcFixture f;
        f.shared->silent = true;
        QSignalSpy lost(f.transport.get(), &CSerialTransport::Lost);
        QVERIFY(f.transport->Write("WFMPre:CH3:NR_Pt?\nID?\n"));
        QTRY_COMPARE(f.Log().size(), 4);
        QVERIFY(f.transport->IsOpen());
        QCOMPARE(lost.count(), 0);
        QVERIFY(f.transport->ReadPending().isEmpty());
    }

    void usbtmcUnpluggedIsLost() {
        UsbtmcFixture f;
        QSignalSpy lost(f.transport.get(), &CSerialTransport::Lost);
        QThread* signalThread = nullptr;
        connect(
            f.transport.get(), &CSerialTransport::Lost, this,
            [&] { signalThread = QThread::currentThread(); }, Qt::DirectConnection);
        f.shared->failWritesWith = ENODEV;
        QVERIFY(f.transport->Write("ID?\n"));
        QVERIFY(lost.wait(5000));
        QCOMPARE(lost.at(0).at(0).toString(),
                 QStringLiteral("Le périphérique /dev/usbtmc0 ne répond plus."));
        QCOMPARE(signalThread, QThread::currentThread());
        QVERIFY(!f.transport->IsOpen());
        QVERIFY(!f.transport->Write("ID?\n"));
    }

    // Closing while a read waits for an instrument that does not answer must
    // not wait for the driver's time-out (the window would freeze): the read
    // finishes on its own, its reply is dropped, no signal comes, and the
    // device is closed when it ends. The last row leaves the read blocked for
    // good: the program must still exit cleanly.
    void usbtmcClosingDuringABlockedRead_data() {
        QTest::addColumn<bool>("destroy");
        QTest::addColumn<bool>("readEnds");
        QTest::newRow("closed") << false << true;
        QTest::newRow("destroyed") << true << true;
        QTest::newRow("destroyed, the read never ends") << true << false;
    }
    void usbtmcClosingDuringABlockedRead() {
        QFETCH(bool, destroy);
        QFETCH(bool, readEnds);
        UsbtmcFixture f;
        {
            std::lock_guard<std::mutex> lock(f.shared->mutex);
            f.shared->holdReads = true;
        }
        QSignalSpy arrived(f.transport.get(), &CSerialTransport::BytesArrived);
        QSignalSpy lost(f.transport.get(), &CSerialTransport::Lost);
        QVERIFY(f.transport->Write("ID?\n"));
        QVERIFY(QTest::qWaitFor([&] { return f.Log().contains(QStringLiteral("R")); }, 5000));
        QElapsedTimer clock;
        clock.start();
        if (destroy)
            f.transport.reset();
        else
            f.transport->Close();
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
        if (!destroy) {
            QVERIFY(!f.transport->IsOpen());
            QVERIFY(!f.transport->Write("*CLS\n"));
        }
        {
            std::lock_guard<std::mutex> lock(f.shared->mutex);
            QVERIFY(!f.shared->closed); // still in the read
            if (!readEnds) return;
            f.shared->holdReads = false;
        }
        f.shared->changed.notify_all();
        {
            std::unique_lock<std::mutex> lock(f.shared->mutex);
            QVERIFY(f.shared->changed.wait_for(lock, std::chrono::seconds(5),
                                               [&] { return f.shared->closed; }));
            QCOMPARE(f.shared->log, QStringList({"W:ID?\n", "R"}));
            QCOMPARE(f.shared->faults, QStringList());
        }
        QTest::qWait(50); // a notice posted late would come now
        QCOMPARE(arrived.count(), 0);
        QCOMPARE(lost.count(), 0);
        if (!destroy) QVERIFY(f.transport->ReadPending().isEmpty());
    }

    // The Tektronix link reads its lines from usbtmc as from a serial port.
    void aTextLinkOverUsbtmc() {
        auto shared = std::make_shared<CFakeUsbtmc::Shared>();
        CTextSerialLink link(
            1,
            std::make_unique<CUsbtmcTransport>(std::make_unique<CFakeUsbtmc>(shared),
                                               QStringLiteral("/dev/usbtmc0")),
            QString());
        QVERIFY(link.Send("RS232:PRESET\nID?\n"));
        QTRY_VERIFY(link.m_strBuffer.size() >= kIdReply.size());
        QCOMPARE(link.ReadLine(), QString::fromLatin1(kIdReply).trimmed());
        QVERIFY2(link.Monitor().m_strStatus.startsWith(
                     QStringLiteral("Connecté à COM2 (/dev/usbtmc0) depuis 00:00:0")),
                 qPrintable(link.Monitor().m_strStatus));
    }

    // The real device operations on a file descriptor, with a pseudo-terminal
    // playing the instrument: commands come out one by one, and nothing is
    // read before the query.
    void usbtmcOnARealDescriptor() {
        CTestPty pty;
        QVERIFY(pty.IsOpen());
        QString reason;
        auto transport = OpenUsbtmcDevice(pty.SlavePath(), &reason);
        QVERIFY2(transport, qPrintable(reason));
        // The lock keeps a second program off.
        QVERIFY(!OpenUsbtmcDevice(pty.SlavePath(), &reason));
        QCOMPARE(reason, QStringLiteral("Le périphérique %1 est utilisé par un autre programme.")
                             .arg(pty.SlavePath()));

        pty.Send("unasked\n"); // would come out if the transport read without a query
        QVERIFY(transport->Write("*CLS\nID?\n"));
        QByteArray sent;
        QVERIFY(QTest::qWaitFor([&] { return (sent += pty.ReadAvailable()).size() >= 9; }, 5000));
        QCOMPARE(sent, QByteArray("*CLS\nID?\n"));
        QByteArray received;
        QVERIFY(QTest::qWaitFor([&] { return (received += transport->ReadPending()).size() >= 8; },
                                5000));
        QCOMPARE(received, QByteArray("unasked\n")); // read once, after ID?
        pty.Send(kIdReply);
        QVERIFY(transport->Write("ID?\n"));
        received.clear();
        QVERIFY(QTest::qWaitFor(
            [&] { return (received += transport->ReadPending()).size() >= kIdReply.size(); },
            5000));
        QCOMPARE(received, kIdReply);
        QTest::qWait(50);
        QVERIFY(transport->ReadPending().isEmpty());
        transport.reset(); // nothing read is pending: closes at once
        QVERIFY2(OpenUsbtmcDevice(pty.SlavePath(), &reason), qPrintable(reason));
    }

    // The same on a real descriptor: the read blocks in the kernel. The old
    // read keeps the device's lock until it ends, so a new link is refused
    // cleanly meanwhile, then opens.
    void usbtmcClosingDuringABlockedReadOnARealDescriptor() {
        CTestPty pty;
        QVERIFY(pty.IsOpen());
        QString reason;
        auto transport = OpenUsbtmcDevice(pty.SlavePath(), &reason);
        QVERIFY2(transport, qPrintable(reason));
        QSignalSpy arrived(transport.get(), &CSerialTransport::BytesArrived);
        QVERIFY(transport->Write("ID?\n"));
        QByteArray sent;
        QVERIFY(QTest::qWaitFor([&] { return (sent += pty.ReadAvailable()).size() >= 4; }, 5000));
        QElapsedTimer clock;
        clock.start();
        transport->Close();
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!OpenUsbtmcDevice(pty.SlavePath(), &reason));
        QCOMPARE(reason, QStringLiteral("Le périphérique %1 est utilisé par un autre programme.")
                             .arg(pty.SlavePath()));
        pty.Send(kIdReply); // the read ends; its reply is nobody's
        std::unique_ptr<CSerialTransport> again;
        QVERIFY2(
            QTest::qWaitFor(
                [&] { return bool(again = OpenUsbtmcDevice(pty.SlavePath(), &reason)); }, 5000),
            qPrintable(reason));
        QCOMPARE(arrived.count(), 0);
        QVERIFY(transport->ReadPending().isEmpty());
        transport.reset();
    }

    void usbtmcErrorTexts_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("permission")
            << EACCES
            << "Accès refusé au périphérique /dev/usbtmc0 : l'utilisateur doit faire partie du "
               "groupe plugdev (règle udev installée avec Lineatix), puis se reconnecter et "
               "rebrancher l'oscilloscope.";
        QTest::newRow("absent") << ENOENT << "Le périphérique /dev/usbtmc0 n'existe pas.";
        QTest::newRow("in use")
            << EBUSY << "Le périphérique /dev/usbtmc0 est utilisé par un autre programme.";
    }
    void usbtmcErrorTexts() {
        QFETCH(int, error);
        QFETCH(QString, text);
        QCOMPARE(UsbtmcErrorText(QStringLiteral("/dev/usbtmc0"), error), text);
    }

    void visaUsbAddressesAreFoundInSysfs() {
        QTemporaryDir sys;
        const QString root = sys.path();
        AddUsbDevice(root, QStringLiteral("1-2"), "1ab1", "04ce", "DS1ZA123456789",
                     QStringLiteral("usbtmc0"));
        AddUsbDevice(root, QStringLiteral("1-3"), "2a8d", "0396", "CN59124583",
                     QStringLiteral("usbtmc1"));
        // Another usbmisc device (a HID) is no usbtmc.
        AddUsbDevice(root, QStringLiteral("1-4"), "1ab1", "04ce", "DS1ZA123456789",
                     QStringLiteral("hiddev0"));
        const QString dev = QStringLiteral("/devroot");
        QCOMPARE(FindUsbtmcDevice(0x1AB1, 0x04CE, QStringLiteral("DS1ZA123456789"), root, dev),
                 QStringLiteral("/devroot/usbtmc0"));
        QCOMPARE(FindUsbtmcDevice(0x2A8D, 0x0396, QStringLiteral("cn59124583"), root, dev),
                 QStringLiteral("/devroot/usbtmc1"));
        QCOMPARE(FindUsbtmcDevice(0x2A8D, 0x0396, QStringLiteral("DS1ZA123456789"), root, dev),
                 QString());
        QCOMPARE(FindUsbtmcDevice(0x1AB1, 0x0517, QStringLiteral("DS1ZA123456789"), root, dev),
                 QString());
        QCOMPARE(FindUsbtmcDevice(0x1AB1, 0x04CE, QStringLiteral("DS1ZA123456789"),
                                  sys.filePath(QStringLiteral("none")), dev),
                 QString());
    }
};

QTEST_GUILESS_MAIN(TestTransports)
#include "tst_transports.moc"
