#pragma once

#include <QByteArray>
#include <QStringList>
#include <cstdint>

#include "common/options.h"

// A simulated instrument behind a pseudo-terminal or a socket: it is handed
// what the program sends and answers with bytes; Tick lets it speak on its own
// (a reader's frames, a reply sent in pieces).
class CSimInstrument {
  public:
    virtual ~CSimInstrument() = default;
    // The bytes that arrived from the program; returns the answer to send now.
    virtual QByteArray Receive(const QByteArray& bytes) = 0;
    // Called about every 10 ms with the milliseconds since the start; returns
    // the bytes due now.
    virtual QByteArray Tick(std::int64_t elapsedMs) {
        (void)elapsedMs;
        return QByteArray();
    }
    // The client went away (a socket closed): what it left half-said and the
    // replies it will not read are dropped.
    virtual void LinkClosed() {}
};

// Opens a pseudo-terminal, prints its device path on standard output (and
// links linkPath to it when not empty), then serves the instrument until
// SIGINT or SIGTERM. Returns the exit status.
int RunSimulator(CSimInstrument& instrument, const QString& linkPath);

// Listens on 127.0.0.1:port (0: a free port the system picks), prints
// "127.0.0.1:PORT" on standard output, then serves one client at a time, the
// next one after it leaves, until SIGINT or SIGTERM. Returns the exit status.
int RunSocketSimulator(CSimInstrument& instrument, int port);

// The link the options ask for: "--tcp PORT" a socket, otherwise a
// pseudo-terminal ("--link PATH"). -1 for a port that is not 0 to 65535.
int ServeSimulator(CSimInstrument& instrument, const ParsedOptions& options);
// Whether the options' "--tcp" value, when given, is a port number.
bool ValidTcpOption(const ParsedOptions& options);

// Shared by both links: the stop signals and a monotonic clock.
void InstallStopSignals();
bool StopRequested();
std::int64_t MonotonicMs();

// The sub-commands, one file each; arguments after the sub-command name.
// They return the exit status, or -1 for a usage error.
int RunTdsSimulator(const QStringList& arguments);      // simtds.cpp
int RunGdsSimulator(const QStringList& arguments);      // simgds.cpp
int RunLeuzeSimulator(const QStringList& arguments);    // simleuze.cpp
int RunRigolSimulator(const QStringList& arguments);    // simscope.cpp
int RunKeysightSimulator(const QStringList& arguments); // simscope.cpp
