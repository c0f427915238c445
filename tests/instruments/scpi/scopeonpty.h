#pragma once

// A scripted oscilloscope behind a pseudo-terminal, answering on a thread of
// its own so that the program under test (a dialog on the test's thread, or
// a batch run in another process) talks to it as to a device. Header only.

#include <QMutex>
#include <QMutexLocker>
#include <atomic>
#include <chrono>
#include <thread>

#include "ptysupport.h"
#include "scriptedscope.h"

class CScopeOnPty {
  public:
    explicit CScopeOnPty(CScriptedScope::Vendor vendor) : m_scope(vendor) {}
    ~CScopeOnPty() { Stop(); }

    // Settings and faults are set before Start.
    CScriptedScope& Scope() { return m_scope; }
    QString Path() const { return m_pty.SlavePath(); }

    void Start() {
        m_thread = std::thread([this] {
            while (!m_bStop) {
                const QByteArray received = m_pty.ReadAvailable();
                if (received.isEmpty()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    continue;
                }
                QByteArray reply;
                {
                    QMutexLocker lock(&m_mutex);
                    reply = m_scope.Feed(received);
                }
                if (!reply.isEmpty()) m_pty.Send(reply);
            }
        });
    }

    void Stop() {
        m_bStop = true;
        if (m_thread.joinable()) m_thread.join();
    }

    QStringList Commands() {
        QMutexLocker lock(&m_mutex);
        QStringList commands;
        for (const QByteArray& command : m_scope.m_commands)
            commands << QString::fromLatin1(command);
        return commands;
    }

    // Bytes from the scope written by the test itself (once the script is muted).
    bool Send(const QByteArray& bytes) { return m_pty.Send(bytes); }

    bool Running() {
        QMutexLocker lock(&m_mutex);
        return m_scope.m_running;
    }

  private:
    CTestPty m_pty;
    CScriptedScope m_scope;
    QMutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
};
