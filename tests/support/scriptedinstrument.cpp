#include "scriptedinstrument.h"

#include <QElapsedTimer>
#include <QProcess>

#include "ptysupport.h"

ProcessResult RunLineatixAgainst(CTestPty& pty, const QStringList& arguments,
                                 const QList<ScriptedReply>& script, int timeoutMs) {
    constexpr int kBabbleMs = 20;
    ProcessResult result;
    QProcess process;
    process.start(qEnvironmentVariable("LINEATIX_EXE"), arguments);
    if (!process.waitForStarted()) return result;
    QByteArray sent;
    int next = 0;
    const ScriptedReply* babbling = nullptr;
    QElapsedTimer clock, sinceBabble;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs) {
        process.waitForFinished(5);
        sent += pty.ReadAvailable();
        if (babbling && sinceBabble.elapsed() >= kBabbleMs) {
            pty.Send(babbling->reply);
            sinceBabble.restart();
        }
        if (next >= script.size()) continue;
        const ScriptedReply& step = script.at(next);
        const qsizetype at = sent.indexOf(step.request);
        if (at < 0) continue;
        sent.remove(0, at + step.request.size());
        pty.Send(step.reply);
        ++next;
        if (step.babble) {
            babbling = &step;
            sinceBabble.start();
        }
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
