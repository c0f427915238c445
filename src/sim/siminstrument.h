#pragma once

#include <QByteArray>
#include <QStringList>
#include <cstdint>

// A simulated instrument behind a pseudo-terminal: it is handed what the
// program sends and answers with bytes; Tick lets it speak on its own (a
// reader's frames, a reply sent in pieces).
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
};

// Opens a pseudo-terminal, prints its device path on standard output (and
// links linkPath to it when not empty), then serves the instrument until
// SIGINT or SIGTERM. Returns the exit status.
int RunSimulator(CSimInstrument& instrument, const QString& linkPath);

// The sub-commands, one file each; arguments after the sub-command name.
// They return the exit status, or -1 for a usage error.
int RunTdsSimulator(const QStringList& arguments);   // simtds.cpp
int RunGdsSimulator(const QStringList& arguments);   // simgds.cpp
int RunLeuzeSimulator(const QStringList& arguments); // simleuze.cpp
