#include "testsupport.h"

#include <QFile>
#include <QProcess>

ProcessResult RunProgram(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, int timeoutMs) {
    ProcessResult result;
    QProcess process;
    if (!workingDirectory.isEmpty()) process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

ProcessResult RunLineatix(const QStringList& arguments, const QString& workingDirectory) {
    return RunProgram(qEnvironmentVariable("LINEATIX_EXE"), arguments, workingDirectory);
}

QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
