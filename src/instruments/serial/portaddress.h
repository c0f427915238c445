#pragma once

#include <QString>
#include <cstdint>

// How a port is written tells which transport carries it:
//  - a serial device path (/dev/ttyS0, /dev/ttyUSB0, a pseudo-terminal);
//  - a raw SCPI socket, HOST:PORT ("192.168.0.20:5555", "[fe80::1]:5025") or
//    the VISA form TCPIP[n]::HOST::PORT::SOCKET;
//  - a device of the Linux usbtmc driver, /dev/usbtmcN (or a link to one), or
//    the VISA form USB[n]::0xVVVV::0xPPPP::SERIAL[::INTERFACE]::INSTR, which
//    names the instrument itself and so survives re-plugging.
// VISA keywords are taken in any case. A VISA TCPIP::HOST[::NAME]::INSTR
// address (VXI-11 or HiSLIP) is refused: only the raw socket is spoken.
struct CPortAddress {
    enum Kind { kInvalid, kSerial, kSocket, kUsbtmcDevice, kUsbtmcInstrument };

    Kind kind = kInvalid;
    QString device;                        // kSerial, kUsbtmcDevice: the path as given
    QString host;                          // kSocket
    std::uint16_t port = 0;                // kSocket
    std::uint16_t vendor = 0, product = 0; // kUsbtmcInstrument
    QString serial;                        // kUsbtmcInstrument
    QString error;                         // kInvalid: why, in French, naming the address
};

CPortAddress ParsePortAddress(const QString& text);

// True for a usbtmc character device: its name, or the name of the file a
// link leads to, is usbtmcN.
bool IsUsbtmcDevicePath(const QString& path);

// The raw SCPI socket ports of the makers' scopes, for the hints.
constexpr int kRigolSocketPort = 5555;
constexpr int kKeysightSocketPort = 5025;
