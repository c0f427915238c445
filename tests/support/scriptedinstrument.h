#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "testsupport.h"

class CTestPty;

// One step of an instrument played by a test: once what the program sent
// holds `request`, `reply` goes back; with `babble`, again every few
// milliseconds until the program ends (a scope that never stops sending).
struct ScriptedReply {
    QByteArray request;
    QByteArray reply;
    bool babble = false;
};

// Runs lineatix with the arguments while the test plays the instrument on
// the pty's other end, the replies in order. Gives up after timeoutMs.
ProcessResult RunLineatixAgainst(CTestPty& pty, const QStringList& arguments,
                                 const QList<ScriptedReply>& script, int timeoutMs = 20000);
