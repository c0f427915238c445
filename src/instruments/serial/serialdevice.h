#pragma once

#include <QString>
#include <memory>

#include "instruments/serial/serialtransport.h"

// Opens a serial device by its path (/dev/ttyS0, /dev/ttyUSB0, a pseudo-
// terminal) exclusively at 9600 8N1. On failure returns null and sets
// *reason to the device and the cause in plain French, for the user.
std::unique_ptr<CSerialTransport> OpenSerialDevice(const QString& path, QString* reason);
