#include "ptysupport.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

CTestPty::CTestPty() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) return;
    const char* name = nullptr;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || !(name = ptsname(m_master))) {
        CloseMaster();
        return;
    }
    m_path = QString::fromLocal8Bit(name);
    termios raw;
    if (tcgetattr(m_master, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(m_master, TCSANOW, &raw);
    }
    // Kept open so that the program can open and close its end freely.
    m_slave = open(name, O_RDWR | O_NOCTTY);
    if (m_slave >= 0 && tcgetattr(m_slave, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(m_slave, TCSANOW, &raw);
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

CTestPty::~CTestPty() {
    if (m_slave >= 0) close(m_slave);
    CloseMaster();
}

bool CTestPty::Send(const QByteArray& bytes) {
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EAGAIN) {
            // The terminal's buffer is full until the program reads: wait, as a device would.
            pollfd writable{m_master, POLLOUT, 0};
            if (poll(&writable, 1, 5000) <= 0) return false;
            continue;
        }
        if (n <= 0) return false;
        done += n;
    }
    return m_master >= 0;
}

QByteArray CTestPty::ReadAvailable() {
    QByteArray all;
    char buffer[4096];
    while (m_master >= 0) {
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0) break;
        all.append(buffer, int(n));
    }
    return all;
}

void CTestPty::CloseMaster() {
    if (m_master >= 0) close(m_master);
    m_master = -1;
}

SimulatorProcess::~SimulatorProcess() {
    if (process && process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(3000)) process->kill();
        process->waitForFinished(3000);
    }
}

std::unique_ptr<SimulatorProcess> StartSimulator(const QString& instrument,
                                                 const QStringList& arguments) {
    auto simulator = std::make_unique<SimulatorProcess>();
    simulator->process = std::make_unique<QProcess>();
    simulator->process->setProcessChannelMode(QProcess::SeparateChannels);
    simulator->process->start(qEnvironmentVariable("LINEATIX_SIM"),
                              QStringList{instrument} + arguments);
    if (!simulator->process->waitForStarted(5000)) return simulator;
    // The first line of its output is the device path.
    QDeadlineTimer deadline(10000);
    while (!simulator->process->canReadLine() && simulator->process->state() == QProcess::Running &&
           !deadline.hasExpired())
        simulator->process->waitForReadyRead(100);
    if (!simulator->process->canReadLine()) return simulator;
    simulator->devicePath = QString::fromLocal8Bit(simulator->process->readLine()).trimmed();
    return simulator;
}
