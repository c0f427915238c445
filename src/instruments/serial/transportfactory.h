#pragma once

#include <QString>
#include <memory>

#include "instruments/serial/serialtransport.h"

// Opens a port with the transport the way it is written chooses (see
// portaddress.h): a serial device, a raw SCPI socket, or a usbtmc device
// (by its node or by its VISA USB address). On failure returns null and sets
// *reason to a French text naming the port. A socket is returned at once,
// still connecting: a connection that fails ends it with Lost.
std::unique_ptr<CSerialTransport> OpenTransport(const QString& address, QString* reason);

// A usbtmc device node opened as a transport (also what OpenTransport does
// for one); null with *reason when it cannot be opened.
std::unique_ptr<CSerialTransport> OpenUsbtmcDevice(const QString& path, QString* reason);
