#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "instruments/serial/serialtransport.h"
#include "instruments/serial/usbtmcdevice.h"

// The link to a USB instrument through the usbtmc driver, made to look like
// the serial one: written bytes go out one newline-ended command at a time, a
// reply is read only after a query (a command holding '?') and before the next
// command, and the replies come out as one stream of bytes.
//
// A read blocks in the driver until the reply or its time-out, so the device
// is worked by a thread of this transport alone; BytesArrived and Lost are
// emitted on the thread that owns the transport, where the protocols and the
// dialogs run. Close waits for a read under way (at most the driver's
// time-out, 5 s by default).
class CUsbtmcTransport : public CSerialTransport {
    Q_OBJECT

  public:
    // label: the device as the messages name it.
    CUsbtmcTransport(std::unique_ptr<CUsbtmcDevice> device, const QString& label,
                     QObject* parent = nullptr);
    ~CUsbtmcTransport() override;

    bool IsOpen() const override;
    bool Write(const QByteArray& data) override;
    QByteArray ReadPending() override;
    void Close() override;
    QString LinkName() const override { return m_label; }

  private:
    void Work();
    void PostArrived();
    void PostLost(int error);

    QString m_label;
    std::unique_ptr<CUsbtmcDevice> m_device; // touched by the worker only

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QByteArray> m_commands; // waiting to be sent
    QByteArray m_partial;              // a command whose newline has not come yet
    QByteArray m_received;             // replies not read yet
    bool m_bOpen = true;
    bool m_bStop = false;
    bool m_bArrivalPosted = false;
    std::thread m_worker;
};

// The commands a write holds, each with its newline; a last piece without
// one stays in *partial until the rest comes.
std::deque<QByteArray> SplitCommands(const QByteArray& data, QByteArray* partial);
// A command that asks for a reply.
bool IsQuery(const QByteArray& command);
