#include "instruments/serial/portaddress.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

CPortAddress Invalid(const QString& error) {
    CPortAddress address;
    address.error = error;
    return address;
}

// A TCP port number, 1 to 65535; 0 when the text is not one.
std::uint16_t PortNumber(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 1 || value > 65535 || text.startsWith(QLatin1Char('+'))) return 0;
    return std::uint16_t(value);
}

// A USB vendor or product number: VISA writes them in hexadecimal (0x1AB1)
// or in decimal.
bool UsbNumber(const QString& text, std::uint16_t* value) {
    bool ok = false;
    const uint number = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                            ? text.mid(2).toUInt(&ok, 16)
                            : text.toUInt(&ok, 10);
    if (!ok || number > 0xFFFF) return false;
    *value = std::uint16_t(number);
    return true;
}

QString VxiHint(const QString& text) {
    return QStringLiteral("L'adresse %1 demande le protocole VXI-11, que Lineatix ne parle pas : "
                          "donner le port SCPI brut de l'oscilloscope, %2 sur un Rigol, %3 sur un "
                          "Keysight (par exemple TCPIP::ADRESSE::%2::SOCKET ou ADRESSE:%2).")
        .arg(text)
        .arg(kRigolSocketPort)
        .arg(kKeysightSocketPort);
}

QString BadPort(const QString& text) {
    return QStringLiteral("Le port réseau de l'adresse %1 n'est pas valide (un nombre de 1 à "
                          "65535 ; %2 sur un Rigol, %3 sur un Keysight).")
        .arg(text)
        .arg(kRigolSocketPort)
        .arg(kKeysightSocketPort);
}

CPortAddress Socket(const QString& host, std::uint16_t port) {
    CPortAddress address;
    address.kind = CPortAddress::kSocket;
    address.host = host;
    address.port = port;
    return address;
}

CPortAddress VisaTcpip(const QString& text, const QStringList& fields) {
    // TCPIP::HOST::PORT::SOCKET, or TCPIP::HOST[::DEVICE]::INSTR / TCPIP::HOST.
    const QString last = fields.last();
    if (fields.size() == 4 && last.compare(QLatin1String("SOCKET"), Qt::CaseInsensitive) == 0) {
        if (fields.at(1).isEmpty()) return Invalid(BadPort(text));
        const std::uint16_t port = PortNumber(fields.at(2));
        if (port == 0) return Invalid(BadPort(text));
        return Socket(fields.at(1), port);
    }
    if ((fields.size() == 2 || fields.size() == 3 || fields.size() == 4) &&
        !fields.at(1).isEmpty() &&
        (fields.size() == 2 || last.compare(QLatin1String("INSTR"), Qt::CaseInsensitive) == 0))
        return Invalid(VxiHint(text));
    return Invalid(QStringLiteral("L'adresse VISA %1 n'est pas comprise (attendu "
                                  "TCPIP::ADRESSE::PORT::SOCKET).")
                       .arg(text));
}

CPortAddress VisaUsb(const QString& text, const QStringList& fields) {
    // USB::VENDOR::PRODUCT::SERIAL[::INTERFACE]::INSTR
    CPortAddress address;
    const bool shape = (fields.size() == 5 || fields.size() == 6) &&
                       fields.last().compare(QLatin1String("INSTR"), Qt::CaseInsensitive) == 0;
    if (!shape || !UsbNumber(fields.at(1), &address.vendor) ||
        !UsbNumber(fields.at(2), &address.product) || fields.at(3).isEmpty())
        return Invalid(QStringLiteral("L'adresse VISA %1 n'est pas comprise (attendu "
                                      "USB0::0xVVVV::0xPPPP::NUMERO_DE_SERIE::INSTR).")
                           .arg(text));
    address.kind = CPortAddress::kUsbtmcInstrument;
    address.serial = fields.at(3);
    return address;
}

} // namespace

bool IsUsbtmcDevicePath(const QString& path) {
    static const QRegularExpression name(QStringLiteral("^usbtmc[0-9]+$"));
    const QFileInfo info(path);
    if (name.match(info.fileName()).hasMatch()) return true;
    return info.isSymLink() && name.match(QFileInfo(info.symLinkTarget()).fileName()).hasMatch();
}

CPortAddress ParsePortAddress(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return Invalid(QStringLiteral("Aucun périphérique n'est associé à ce port."));

    static const QRegularExpression visa(QStringLiteral("^(TCPIP|USB)[0-9]*::"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch visaMatch = visa.match(text);
    if (visaMatch.hasMatch()) {
        const QStringList fields = text.split(QStringLiteral("::"));
        if (visaMatch.captured(1).compare(QLatin1String("TCPIP"), Qt::CaseInsensitive) == 0)
            return VisaTcpip(text, fields);
        return VisaUsb(text, fields);
    }

    // A path: serial, or usbtmc by its name.
    if (text.contains(QLatin1Char('/'))) {
        CPortAddress address;
        address.kind =
            IsUsbtmcDevicePath(text) ? CPortAddress::kUsbtmcDevice : CPortAddress::kSerial;
        address.device = text;
        return address;
    }

    // [IPv6]:PORT
    static const QRegularExpression bracketed(QStringLiteral("^\\[([^\\]]+)\\]:(.*)$"));
    const QRegularExpressionMatch v6 = bracketed.match(text);
    if (v6.hasMatch()) {
        const std::uint16_t port = PortNumber(v6.captured(2));
        return port ? Socket(v6.captured(1), port) : Invalid(BadPort(text));
    }
    // HOST:PORT (one colon: a bare IPv6 address has several and no port).
    if (text.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        const QString host = text.left(colon);
        const std::uint16_t port = PortNumber(text.mid(colon + 1));
        if (host.isEmpty() || port == 0) return Invalid(BadPort(text));
        return Socket(host, port);
    }

    // A dotted IPv4 address without its port would otherwise be taken for a
    // device name and fail as "does not exist".
    static const QRegularExpression ipv4(QStringLiteral("^[0-9]+(\\.[0-9]+){3}$"));
    if (ipv4.match(text).hasMatch()) return Invalid(BadPort(text));

    // A bare device name (ttyUSB0) as the serial port takes it.
    CPortAddress address;
    address.kind = text.startsWith(QLatin1String("usbtmc")) && IsUsbtmcDevicePath(text)
                       ? CPortAddress::kUsbtmcDevice
                       : CPortAddress::kSerial;
    address.device =
        address.kind == CPortAddress::kUsbtmcDevice ? QStringLiteral("/dev/") + text : text;
    return address;
}
