#include "instruments/serial/usbtmctransport.h"

#include <QMetaObject>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>

std::deque<QByteArray> SplitCommands(const QByteArray& data, QByteArray* partial) {
    std::deque<QByteArray> commands;
    QByteArray text = *partial + data;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf('\n', start);
        if (end < 0) break;
        commands.push_back(text.mid(start, end + 1 - start));
        start = end + 1;
    }
    *partial = text.mid(start);
    return commands;
}

bool IsQuery(const QByteArray& command) {
    return command.contains('?');
}

// What the transport and its worker share; the worker keeps it alive after
// the transport is gone. Everything but the device is guarded by the mutex.
struct CUsbtmcTransport::State {
    std::unique_ptr<CUsbtmcDevice> device; // touched by the worker only
    QString label;

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<QByteArray> commands; // waiting to be sent
    QByteArray partial;              // a command whose newline has not come yet
    QByteArray received;             // replies not read yet
    bool bOpen = true;
    bool bStop = false; // closed: the owner may be gone, post nothing
    bool bBusy = false; // the worker is in a device call
    bool bArrivalPosted = false;
};

CUsbtmcTransport::CUsbtmcTransport(std::unique_ptr<CUsbtmcDevice> device, const QString& label,
                                   QObject* parent)
    : CSerialTransport(parent), m_label(label), m_state(std::make_shared<State>()) {
    m_state->device = std::move(device);
    m_state->label = label;
    m_worker = std::thread(&CUsbtmcTransport::Work, m_state, this);
}

CUsbtmcTransport::~CUsbtmcTransport() {
    Close();
}

bool CUsbtmcTransport::IsOpen() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->bOpen;
}

bool CUsbtmcTransport::Write(const QByteArray& data) {
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        if (!m_state->bOpen) return false;
        for (QByteArray& command : SplitCommands(data, &m_state->partial))
            m_state->commands.push_back(std::move(command));
    }
    m_state->wake.notify_one();
    return true;
}

QByteArray CUsbtmcTransport::ReadPending() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    QByteArray bytes = m_state->received;
    m_state->received.clear();
    m_state->bArrivalPosted = false;
    return bytes;
}

void CUsbtmcTransport::Close() {
    bool busy = false;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->bOpen = false;
        m_state->bStop = true;
        m_state->commands.clear();
        m_state->received.clear();
        busy = m_state->bBusy;
    }
    m_state->wake.notify_one();
    if (!m_worker.joinable()) return;
    // Idle, the worker sees the stop before any device call and closes the
    // device on its way out: joining it costs nothing and frees the device
    // at once. In a read, it may block until the driver's time-out: let it
    // finish alone.
    if (busy)
        m_worker.detach();
    else
        m_worker.join();
}

// The worker holds its own reference to the state, so nothing it touches
// dies under it; `owner` is used only under the mutex while not stopped
// (Close, run by the destructor, takes the mutex first). At process exit a
// detached worker may still be blocked in a read: past it, it only drops
// bytes and closes its device, nothing global.
void CUsbtmcTransport::Work(std::shared_ptr<State> state, CUsbtmcTransport* owner) {
    for (;;) {
        QByteArray command;
        {
            std::unique_lock<std::mutex> lock(state->mutex);
            state->bBusy = false;
            state->wake.wait(lock, [&] { return state->bStop || !state->commands.empty(); });
            if (state->bStop) break;
            command = std::move(state->commands.front());
            state->commands.pop_front();
            state->bBusy = true;
        }
        int error = state->device->Write(command);
        if (error == 0 && IsQuery(command)) {
            QByteArray reply;
            error = state->device->Read(&reply);
            // No reply within the driver's time-out: the instrument stays
            // silent, as a serial one would; the protocol's own wait reports it.
            if (error == ETIMEDOUT) error = 0;
            if (!reply.isEmpty()) {
                std::lock_guard<std::mutex> lock(state->mutex);
                if (state->bStop) break; // too late: nobody reads it
                state->received += reply;
                PostArrived(*state, owner);
            }
        }
        if (error != 0) {
            std::lock_guard<std::mutex> lock(state->mutex);
            PostLost(*state, owner, error);
            break;
        }
    }
    state->device.reset(); // closes it: its lock goes with it
    std::lock_guard<std::mutex> lock(state->mutex);
    state->bBusy = false;
}

// Called with the state's mutex held.
void CUsbtmcTransport::PostArrived(State& state, CUsbtmcTransport* owner) {
    if (state.bStop || state.bArrivalPosted) return; // one notice until the bytes are read
    state.bArrivalPosted = true;
    // Queued to the owner: run on its thread, dropped if it is destroyed first.
    QMetaObject::invokeMethod(
        owner,
        [owner] {
            {
                std::lock_guard<std::mutex> lock(owner->m_state->mutex);
                if (owner->m_state->bStop) return; // closed since
            }
            emit owner->BytesArrived();
        },
        Qt::QueuedConnection);
}

// Called with the state's mutex held.
void CUsbtmcTransport::PostLost(State& state, CUsbtmcTransport* owner, int error) {
    if (state.bStop) return;
    // Unplugged (ENODEV, ESHUTDOWN), or a transfer that failed for good.
    const bool gone = error == ENODEV || error == ESHUTDOWN || error == EIO || error == EPIPE;
    const QString reason =
        gone ? QStringLiteral("Le périphérique %1 ne répond plus.").arg(state.label)
             : QStringLiteral("Le périphérique %1 ne répond plus (%2).")
                   .arg(state.label, QString::fromLocal8Bit(std::strerror(error)));
    // Closed on the owner's thread, after the replies posted before it were taken.
    QMetaObject::invokeMethod(
        owner,
        [owner, reason] {
            {
                std::lock_guard<std::mutex> lock(owner->m_state->mutex);
                if (!owner->m_state->bOpen) return;
                owner->m_state->bOpen = false;
                owner->m_state->commands.clear();
            }
            emit owner->Lost(reason);
        },
        Qt::QueuedConnection);
}
