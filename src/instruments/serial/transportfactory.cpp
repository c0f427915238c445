#include "instruments/serial/transportfactory.h"

#include "instruments/serial/portaddress.h"
#include "instruments/serial/serialdevice.h"
#include "instruments/serial/sockettransport.h"
#include "instruments/serial/usbtmcdevice.h"
#include "instruments/serial/usbtmctransport.h"

namespace {

void SetReason(QString* reason, const QString& text) {
    if (reason) *reason = text;
}

} // namespace

std::unique_ptr<CSerialTransport> OpenUsbtmcDevice(const QString& path, QString* reason) {
    int error = 0;
    std::unique_ptr<CUsbtmcDevice> device = OpenUsbtmcFile(path, &error);
    if (!device) {
        SetReason(reason, UsbtmcErrorText(path, error));
        return nullptr;
    }
    return std::make_unique<CUsbtmcTransport>(std::move(device), path);
}

std::unique_ptr<CSerialTransport> OpenTransport(const QString& text, QString* reason) {
    const CPortAddress address = ParsePortAddress(text);
    switch (address.kind) {
    case CPortAddress::kSerial:
        return OpenSerialDevice(address.device, reason);
    case CPortAddress::kSocket:
        return std::make_unique<CSocketTransport>(address.host, address.port);
    case CPortAddress::kUsbtmcDevice:
        return OpenUsbtmcDevice(address.device, reason);
    case CPortAddress::kUsbtmcInstrument: {
        const QString path = FindUsbtmcDevice(address.vendor, address.product, address.serial);
        if (path.isEmpty()) {
            SetReason(reason,
                      QStringLiteral("L'appareil USB %1 n'est pas branché (ou le pilote usbtmc "
                                     "n'est pas chargé).")
                          .arg(text.trimmed()));
            return nullptr;
        }
        return OpenUsbtmcDevice(path, reason);
    }
    case CPortAddress::kInvalid:
        break;
    }
    SetReason(reason, address.error);
    return nullptr;
}
