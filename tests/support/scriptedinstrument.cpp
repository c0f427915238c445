#include "scriptedinstrument.h"

#include <QElapsedTimer>
#include <QProcess>

#include "ptysupport.h"

ProcessResult RunLineatixAgainst(CTestPty& pty, const QStringList& arguments,
                                 const QList<ScriptedReply>& script, int timeoutMs) {
    constexpr int kBabbleMs = 20;
    QProcess process;
    return RunProcess(process, qEnvironmentVariable("LINEATIX_EXE"), arguments, [&] {
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
        return process.state() == QProcess::NotRunning;
    });
}
