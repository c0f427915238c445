// The simulators' side of a raw SCPI socket, as an instrument's LAN port
// serves one: 127.0.0.1 only, one client at a time (the next waits in the
// backlog until the first leaves), the instrument's state kept between them.

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include "sim/siminstrument.h"

namespace {

constexpr int kTickMs = 10; // the instruments' clock, as on the pseudo-terminal

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
    g_stop = 1;
}

class CSocket {
  public:
    CSocket() = default;
    explicit CSocket(int fd) : m_fd(fd) {}
    ~CSocket() { Close(); }
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    void Reset(int fd) {
        Close();
        m_fd = fd;
    }
    void Close() {
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
    }
    int Fd() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

// Binds 127.0.0.1:port; the port bound, or -1.
int Listen(CSocket& listener, int port) {
    listener.Reset(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener.IsOpen()) return -1;
    const int yes = 1;
    setsockopt(listener.Fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener.Fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.Fd(), 1) != 0)
        return -1;
    socklen_t length = sizeof address;
    if (getsockname(listener.Fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    return ntohs(address.sin_port);
}

} // namespace

void InstallStopSignals() {
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN); // a client gone shows as a failed write, not a death
}

bool StopRequested() {
    return g_stop != 0;
}

std::int64_t MonotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int RunSocketSimulator(CSimInstrument& instrument, int port) {
    CSocket listener;
    const int bound = Listen(listener, port);
    if (bound < 0) {
        std::fprintf(stderr, "Port TCP %d impossible à ouvrir sur 127.0.0.1.\n", port);
        return 1;
    }
    std::printf("127.0.0.1:%d\n", bound);
    std::fflush(stdout);
    InstallStopSignals();

    const std::int64_t start = MonotonicMs();
    CSocket client;
    QByteArray pending; // answered but not yet taken by the socket
    char buffer[65536];
    const auto dropClient = [&] {
        client.Close();
        pending.clear();
        instrument.LinkClosed();
    };
    while (!StopRequested()) {
        pollfd fd = {client.IsOpen() ? client.Fd() : listener.Fd(),
                     short(POLLIN | (pending.isEmpty() ? 0 : POLLOUT)), 0};
        poll(&fd, 1, kTickMs);
        if (!client.IsOpen()) {
            const int accepted =
                accept4(listener.Fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (accepted >= 0) {
                client.Reset(accepted);
                const int yes = 1; // a reply goes out at once, as one segment where it fits
                setsockopt(client.Fd(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
            }
        }
        bool closed = false;
        while (client.IsOpen()) {
            const ssize_t n = recv(client.Fd(), buffer, sizeof buffer, 0);
            if (n > 0) {
                // A setting has no reply to carry the acknowledgement, and a
                // client that waits for it before its next small write (Nagle)
                // would stall for the delayed acknowledgement's 40 ms.
                const int yes = 1;
                setsockopt(client.Fd(), IPPROTO_TCP, TCP_QUICKACK, &yes, sizeof yes);
                pending += instrument.Receive(QByteArray(buffer, int(n)));
                continue;
            }
            closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
            break;
        }
        const QByteArray due = instrument.Tick(MonotonicMs() - start);
        if (client.IsOpen()) pending += due; // nobody listens: the instrument talks to the air
        while (client.IsOpen() && !closed && !pending.isEmpty()) {
            const ssize_t n =
                send(client.Fd(), pending.constData(), size_t(pending.size()), MSG_NOSIGNAL);
            if (n > 0) {
                pending.remove(0, qsizetype(n));
                continue;
            }
            closed = n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
            break; // full: the rest waits for POLLOUT
        }
        if (closed) dropClient();
    }
    return 0;
}

bool ValidTcpOption(const ParsedOptions& options) {
    if (!options.Has(QStringLiteral("--tcp"))) return true;
    bool ok = false;
    const int port = options.Value(QStringLiteral("--tcp")).toInt(&ok);
    return ok && port >= 0 && port <= 65535;
}

int ServeSimulator(CSimInstrument& instrument, const ParsedOptions& options) {
    if (!ValidTcpOption(options)) return -1;
    if (options.Has(QStringLiteral("--tcp")))
        return RunSocketSimulator(instrument, options.Value(QStringLiteral("--tcp")).toInt());
    return RunSimulator(instrument, options.Value(QStringLiteral("--link")));
}
