// lineatix --print on real print queues: a private CUPS scheduler, started by
// the test on a socket of its own, with two queues whose backend keeps each
// job in a file. The job is then read as a printer would get it.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "testsupport.h"

namespace {

// A CUPS backend: "keep:/PATH" writes the job's data to PATH. Backends are
// given the spooled file as their sixth argument, or the data on standard input.
const char kKeepBackend[] = R"(#!/bin/sh
[ $# -eq 0 ] && { echo 'direct keep "Unknown" "Keeps jobs in a file"'; exit 0; }
out=${DEVICE_URI#keep:}
if [ $# -ge 6 ]; then cat "$6" >"$out"; else cat >"$out"; fi
)";

bool WriteFile(const QString& path, const QByteArray& text,
               QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() &&
           file.setPermissions(permissions);
}

// Waits for a file the scheduler writes on its own time.
bool WaitForFile(const QString& path, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(path) || QFileInfo(path).size() == 0) {
        if (timer.elapsed() > timeoutMs) return false;
        QThread::msleep(50);
    }
    QThread::msleep(100); // the backend may still be writing
    return true;
}

} // namespace

class TestPrintQueue : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;
    QProcess m_cupsd;
    QString m_socket;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    bool AddQueue(const QString& name, bool isDefault) {
        QStringList arguments{"-h",
                              m_socket,
                              "-p",
                              name,
                              "-E",
                              "-v",
                              QStringLiteral("keep:") + path(QStringLiteral("out/") + name)};
        if (RunProgram(QStringLiteral("lpadmin"), arguments).exitCode != 0) return false;
        return !isDefault ||
               RunProgram(QStringLiteral("lpadmin"), {"-h", m_socket, "-d", name}).exitCode == 0;
    }

    // The code the printed page carries, read from its raster.
    QString PrintedCode(const QString& job) {
        const ProcessResult info = RunProgram(QStringLiteral("pdfinfo"), {job});
        if (!info.out.contains("Pages:           1")) return QStringLiteral("not one page");
        if (!info.out.contains("842 x 595 pts")) return QStringLiteral("not A4 landscape");
        const QString raster = job + QStringLiteral("-page");
        RunProgram(QStringLiteral("pdftoppm"), {"-r", "300", "-gray", "-singlefile", job, raster});
        const ProcessResult read =
            RunProgram(QStringLiteral("zbarimg"), {"-q", "--raw", raster + QStringLiteral(".pgm")});
        return QString::fromLatin1(read.out).trimmed();
    }

  private slots:
    void initTestCase() {
        // The scheduler's children run as another user and check the modes
        // of what they use.
        const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                        QFile::ExeOther;
        QVERIFY(QFile::setPermissions(m_dir.path(), open));
        for (const char* sub :
             {"conf", "spool", "cache", "state", "log", "out", "tmp", "bin/backend"})
            QVERIFY(QDir().mkpath(path(QLatin1String(sub))));
        QVERIFY(QFile::setPermissions(path("bin"), open));
        QVERIFY(QFile::link(QStringLiteral("/usr/lib/cups/daemon"), path("bin/daemon")));
        QVERIFY(WriteFile(path("bin/backend/keep"), kKeepBackend,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        m_socket = path("cups.sock");
        QVERIFY(WriteFile(path("conf/cupsd.conf"),
                          QStringLiteral("Listen %1\nLogLevel warn\nWebInterface No\nBrowsing No\n"
                                         "<Location />\n  Order allow,deny\n  Allow all\n"
                                         "</Location>\n")
                              .arg(m_socket)
                              .toUtf8()));
        QString files;
        for (const char* directive :
             {"ServerRoot conf", "RequestRoot spool", "CacheDir cache", "StateDir state",
              "TempDir tmp", "ServerBin bin", "AccessLog log/access_log", "ErrorLog log/error_log",
              "PageLog log/page_log"}) {
            const QString line = QLatin1String(directive);
            files += line.section(QLatin1Char(' '), 0, 0) + QLatin1Char(' ') +
                     path(line.section(QLatin1Char(' '), 1)) + QLatin1Char('\n');
        }
        files += QStringLiteral("DataDir /usr/share/cups\n");
        QVERIFY(WriteFile(path("conf/cups-files.conf"), files.toUtf8()));

        m_cupsd.setProcessChannelMode(QProcess::ForwardedChannels);
        m_cupsd.start(QStringLiteral("cupsd"),
                      {"-f", "-c", path("conf/cupsd.conf"), "-s", path("conf/cups-files.conf")});
        QVERIFY2(m_cupsd.waitForStarted(), "cupsd did not start (package cups-daemon)");
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(m_socket) && timer.elapsed() < 20000)
            QThread::msleep(50);
        QVERIFY2(QFile::exists(m_socket), "cupsd opened no socket");

        QVERIFY(AddQueue(QStringLiteral("salle"), true));
        QVERIFY(AddQueue(QStringLiteral("salle-b12"), false));
        // The program, as every CUPS client, finds the scheduler here.
        qputenv("CUPS_SERVER", m_socket.toLocal8Bit());
    }

    void cleanupTestCase() {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(5000)) m_cupsd.kill();
    }

    // The code sheet of the document goes to the default queue, or to the one
    // named, as one A4 landscape page whose code reads back.
    void printsTheCodeSheet_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("queue");
        QTest::newRow("default printer") << QStringList() << "salle";
        QTest::newRow("named printer") << QStringList{"--printer", "salle-b12"} << "salle-b12";
    }
    void printsTheCodeSheet() {
        QFETCH(QStringList, options);
        QFETCH(QString, queue);
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCode = QStringLiteral("4006381333931");
        QString error;
        QVERIFY(doc.Save(path("TP1.COD"), &error));

        const QString job = path(QStringLiteral("out/") + queue);
        const ProcessResult result = RunLineatix(QStringList{"--print", path("TP1.COD")} + options);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(result.err, QByteArray());
        QVERIFY2(WaitForFile(job), "the queue got no job");
        QVERIFY(ReadFileBytes(job).startsWith("%PDF-"));
        QCOMPARE(PrintedCode(job), QStringLiteral("4006381333931"));
    }
};

QTEST_GUILESS_MAIN(TestPrintQueue)
#include "tst_printqueue.moc"
