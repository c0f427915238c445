#include "instruments/serial/usbtmctransport.h"

#include <QMetaObject>
#include <cerrno>
#include <cstring>

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

CUsbtmcTransport::CUsbtmcTransport(std::unique_ptr<CUsbtmcDevice> device, const QString& label,
                                   QObject* parent)
    : CSerialTransport(parent), m_label(label), m_device(std::move(device)) {
    m_worker = std::thread([this] { Work(); });
}

CUsbtmcTransport::~CUsbtmcTransport() {
    Close();
}

bool CUsbtmcTransport::IsOpen() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bOpen;
}

bool CUsbtmcTransport::Write(const QByteArray& data) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_bOpen) return false;
        for (QByteArray& command : SplitCommands(data, &m_partial))
            m_commands.push_back(std::move(command));
    }
    m_wake.notify_one();
    return true;
}

QByteArray CUsbtmcTransport::ReadPending() {
    std::lock_guard<std::mutex> lock(m_mutex);
    QByteArray bytes = m_received;
    m_received.clear();
    m_bArrivalPosted = false;
    return bytes;
}

void CUsbtmcTransport::Close() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bOpen = false;
        m_bStop = true;
        m_commands.clear();
    }
    m_wake.notify_one();
    if (m_worker.joinable()) m_worker.join();
    m_device.reset();
}

void CUsbtmcTransport::Work() {
    for (;;) {
        QByteArray command;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_bStop || !m_commands.empty(); });
            if (m_bStop) return;
            command = std::move(m_commands.front());
            m_commands.pop_front();
        }
        int error = m_device->Write(command);
        if (error == 0 && IsQuery(command)) {
            QByteArray reply;
            error = m_device->Read(&reply);
            // No reply within the driver's time-out: the instrument stays
            // silent, as a serial one would; the protocol's own wait reports it.
            if (error == ETIMEDOUT) error = 0;
            if (!reply.isEmpty()) {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_received += reply;
                }
                PostArrived();
            }
        }
        if (error != 0) {
            PostLost(error);
            return;
        }
    }
}

void CUsbtmcTransport::PostArrived() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bArrivalPosted) return; // one notice until the bytes are read
        m_bArrivalPosted = true;
    }
    // Queued to this object: run on its thread, dropped if it is destroyed first.
    QMetaObject::invokeMethod(
        this, [this] { emit BytesArrived(); }, Qt::QueuedConnection);
}

void CUsbtmcTransport::PostLost(int error) {
    // Unplugged (ENODEV, ESHUTDOWN), or a transfer that failed for good.
    const bool gone = error == ENODEV || error == ESHUTDOWN || error == EIO || error == EPIPE;
    const QString reason = gone ? QStringLiteral("Le périphérique %1 ne répond plus.").arg(m_label)
                                : QStringLiteral("Le périphérique %1 ne répond plus (%2).")
                                      .arg(m_label, QString::fromLocal8Bit(std::strerror(error)));
    // Closed on the owner's thread, after the replies posted before it were taken.
    QMetaObject::invokeMethod(
        this,
        [this, reason] {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (!m_bOpen) return;
                m_bOpen = false;
                m_commands.clear();
            }
            emit Lost(reason);
        },
        Qt::QueuedConnection);
}
