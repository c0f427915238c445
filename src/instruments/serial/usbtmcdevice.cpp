#include "instruments/serial/usbtmcdevice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The size of one read: the driver reads until the instrument ends its
// message or the size is reached, so a read that returns less ends the reply.
// A reply that fills whole chunks ends with the driver's time-out instead: the
// chunk is larger than any reply of these scopes (a 2500-point curve in ASCII
// is about 10 kB).
constexpr qsizetype kReadChunk = 1024 * 1024;
constexpr qsizetype kLongestReply = 64 * 1024 * 1024; // a runaway device stops here

class CUsbtmcFile : public CUsbtmcDevice {
  public:
    explicit CUsbtmcFile(int fd) : m_fd(fd) {}
    ~CUsbtmcFile() override { ::close(m_fd); }

    int Write(const QByteArray& message) override {
        qsizetype done = 0;
        while (done < message.size()) {
            const ssize_t n =
                ::write(m_fd, message.constData() + done, size_t(message.size() - done));
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += n;
        }
        return 0;
    }

    int Read(QByteArray* reply) override {
        QByteArray buffer(kReadChunk, Qt::Uninitialized);
        char* chunk = buffer.data();
        qsizetype total = 0;
        for (;;) {
            const ssize_t n = ::read(m_fd, chunk, size_t(kReadChunk));
            if (n < 0) {
                if (errno == EINTR) continue;
                // A time-out after whole chunks: the reply was exactly that long.
                if (errno == ETIMEDOUT && total > 0) return 0;
                return errno;
            }
            reply->append(chunk, n);
            total += n;
            if (n < kReadChunk || total >= kLongestReply) return 0;
        }
    }

  private:
    int m_fd;
};

QString ReadAttribute(const QString& dir, const char* name) {
    QFile file(dir + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromLatin1(file.readAll()).trimmed();
}

bool HexEquals(const QString& text, std::uint16_t value) {
    bool ok = false;
    const uint number = text.toUInt(&ok, 16);
    return ok && number == value;
}

} // namespace

std::unique_ptr<CUsbtmcDevice> OpenUsbtmcFile(const QString& path, int* error) {
    const QByteArray local = QFile::encodeName(path);
    const int fd = ::open(local.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *error = errno;
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return nullptr;
    }
    // The driver's time-out (5 s) is kept: a shorter one (USBTMC_IOCTL_SET_TIMEOUT)
    // would free the device sooner after a close during a read, but would cut
    // a slow reply that the protocol, or a longer --timeout, still waits for,
    // and what came late could then pass for the reply to the next query.
    *error = 0;
    return std::make_unique<CUsbtmcFile>(fd);
}

QString UsbtmcErrorText(const QString& path, int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QStringLiteral("Le périphérique %1 n'existe pas.").arg(path);
    case EACCES:
    case EPERM:
        return QStringLiteral(
                   "Accès refusé au périphérique %1 : l'utilisateur doit faire partie du "
                   "groupe plugdev (règle udev installée avec Lineatix), puis se "
                   "reconnecter et rebrancher l'oscilloscope.")
            .arg(path);
    case EBUSY:
        return QStringLiteral("Le périphérique %1 est utilisé par un autre programme.").arg(path);
    default:
        return QStringLiteral("Le périphérique %1 ne peut pas être ouvert (%2).")
            .arg(path, QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString FindUsbtmcDevice(std::uint16_t vendor, std::uint16_t product, const QString& serial,
                         const QString& sysfsRoot, const QString& devRoot) {
    const QDir classDir(sysfsRoot + QStringLiteral("/class/usbmisc"));
    QStringList names = classDir.entryList({QStringLiteral("usbtmc*")},
                                           QDir::Dirs | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    for (const QString& name : names) {
        // The class entry leads to the interface's node, below the USB device
        // that carries the numbers: walk up to the first folder that has them.
        QString dir = QFileInfo(classDir.filePath(name)).canonicalFilePath();
        const QString top = QFileInfo(sysfsRoot).canonicalFilePath();
        while (!dir.isEmpty() && dir.startsWith(top) && dir != top) {
            if (QFileInfo::exists(dir + QStringLiteral("/idVendor"))) break;
            dir = QFileInfo(dir).path();
        }
        if (dir.isEmpty() || !QFileInfo::exists(dir + QStringLiteral("/idVendor"))) continue;
        if (HexEquals(ReadAttribute(dir, "idVendor"), vendor) &&
            HexEquals(ReadAttribute(dir, "idProduct"), product) &&
            ReadAttribute(dir, "serial").compare(serial, Qt::CaseInsensitive) == 0)
            return devRoot + QLatin1Char('/') + name;
    }
    return QString();
}
