// The simulators' side of a pseudo-terminal: the master in raw mode,
// non-blocking, with the slave kept open here so that the program can open
// and close its end freely (without it, reads on the master fail with EIO).

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "sim/siminstrument.h"

namespace {

class CSimPty {
  public:
    ~CSimPty() {
        if (m_slave >= 0) close(m_slave);
        if (m_master >= 0) close(m_master);
    }

    bool Open() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return false;
        const char* name = ptsname(m_master);
        if (!name) return false;
        m_path = QString::fromLocal8Bit(name);
        termios raw;
        if (tcgetattr(m_master, &raw) == 0) {
            cfmakeraw(&raw);
            tcsetattr(m_master, TCSANOW, &raw);
        }
        m_slave = open(name, O_RDWR | O_NOCTTY);
        if (m_slave < 0) return false;
        if (tcgetattr(m_slave, &raw) == 0) {
            cfmakeraw(&raw);
            tcsetattr(m_slave, TCSANOW, &raw);
        }
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        return true;
    }

    int Master() const { return m_master; }
    const QString& Path() const { return m_path; }

  private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

} // namespace

int RunSimulator(CSimInstrument& instrument, const QString& linkPath) {
    CSimPty pty;
    if (!pty.Open()) {
        std::fprintf(stderr, "Pseudo-terminal impossible à ouvrir.\n");
        return 1;
    }
    const QByteArray link = QFile::encodeName(linkPath);
    if (!linkPath.isEmpty()) {
        unlink(link.constData());
        if (symlink(QFile::encodeName(pty.Path()).constData(), link.constData()) != 0) {
            std::fprintf(stderr, "Lien %s impossible à créer.\n", link.constData());
            return 1;
        }
    }
    std::printf("%s\n", QFile::encodeName(pty.Path()).constData());
    std::fflush(stdout);

    InstallStopSignals();
    const std::int64_t start = MonotonicMs();
    QByteArray pending; // answered but not yet taken by the terminal
    char buffer[4096];
    while (!StopRequested()) {
        pollfd fd = {pty.Master(), short(POLLIN | (pending.isEmpty() ? 0 : POLLOUT)), 0};
        poll(&fd, 1, 10);
        for (;;) {
            const ssize_t n = read(pty.Master(), buffer, sizeof buffer);
            if (n <= 0) break;
            pending += instrument.Receive(QByteArray(buffer, int(n)));
        }
        pending += instrument.Tick(MonotonicMs() - start);
        while (!pending.isEmpty()) {
            const ssize_t n = write(pty.Master(), pending.constData(), size_t(pending.size()));
            if (n <= 0) break; // the terminal is full: the rest waits for POLLOUT
            pending.remove(0, int(n));
        }
    }
    if (!linkPath.isEmpty()) unlink(link.constData());
    return 0;
}
