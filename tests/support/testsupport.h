#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QProcess;

// Result of running the lineatix executable in batch mode.
struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built lineatix (path from LINEATIX_EXE) with the arguments.
ProcessResult RunLineatix(const QStringList& arguments,
                          const QString& workingDirectory = QString());

// Starts the program in `process` (set up by the caller) and waits with
// `waitForEnd`, true once it ended. One that cannot start or does not end is
// killed and gives exitCode -1 with no output.
ProcessResult RunProcess(QProcess& process, const QString& program, const QStringList& arguments,
                         const std::function<bool()>& waitForEnd);

// Runs any program; exitCode is -1 when it could not start.
ProcessResult RunProgram(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory = QString(), int timeoutMs = 120000);

// The whole content of a file; empty when it cannot be read.
QByteArray ReadFileBytes(const QString& path);
