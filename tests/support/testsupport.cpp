#include "testsupport.h"

#include <QFile>
#include <QProcess>

ProcessResult RunProcess(QProcess& process, const QString& program, const QStringList& arguments,
                         const std::function<bool()>& waitForEnd) {
    ProcessResult result;
    process.start(program, arguments);
    if (!process.waitForStarted() || !waitForEnd()) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

ProcessResult RunProgram(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, int timeoutMs) {
    QProcess process;
    if (!workingDirectory.isEmpty()) process.setWorkingDirectory(workingDirectory);
    return RunProcess(process, program, arguments,
                      [&] { return process.waitForFinished(timeoutMs); });
}

ProcessResult RunLineatix(const QStringList& arguments, const QString& workingDirectory) {
    return RunProgram(qEnvironmentVariable("LINEATIX_EXE"), arguments, workingDirectory);
}

QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
