#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

// One open character device of the Linux usbtmc driver. The driver is message
// based: a write is one command; a read asks the instrument for its reply and
// blocks until it comes or the driver's time-out ends it. Both return 0 or an
// errno value. Tests put a stand-in with the same rules behind it.
class CUsbtmcDevice {
  public:
    virtual ~CUsbtmcDevice() = default;
    virtual int Write(const QByteArray& message) = 0;
    // The whole reply of the last query (appended to *reply).
    virtual int Read(QByteArray* reply) = 0;
};

// Opens a usbtmc device node for reading and writing, taking an exclusive
// advisory lock so that two programs do not interleave their commands. Null
// with *error (an errno value) when it cannot.
std::unique_ptr<CUsbtmcDevice> OpenUsbtmcFile(const QString& path, int* error);

// The text a user reads when the device `path` cannot be opened or used.
QString UsbtmcErrorText(const QString& path, int error);

// The usbtmc device of the instrument with these USB numbers and serial
// number, found in sysfs (sysfsRoot: "/sys", another tree for tests): the
// /dev node (under devRoot) of the first usbmisc "usbtmcN" whose USB device
// has them; empty when none is plugged in.
QString FindUsbtmcDevice(std::uint16_t vendor, std::uint16_t product, const QString& serial,
                         const QString& sysfsRoot = QStringLiteral("/sys"),
                         const QString& devRoot = QStringLiteral("/dev"));
