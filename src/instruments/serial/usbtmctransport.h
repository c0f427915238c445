#pragma once

#include <deque>
#include <memory>
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
// dialogs run.
//
// Close (and the destructor) return at once: a read under way cannot be cut
// short (it ends with the reply or the driver's time-out, 5 s by default), so
// the thread is let go with the device and the queue, which it owns with the
// transport; it finishes that read, drops its bytes and closes the device
// itself. Until then the device keeps its lock: opening it again meanwhile is
// refused as "used by another program" (the driver would make the new link
// wait behind that read anyway). Idle, the device is closed before Close
// returns. No signal comes after Close.
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
    struct State;
    static void Work(std::shared_ptr<State> state, CUsbtmcTransport* owner);
    static void PostArrived(State& state, CUsbtmcTransport* owner);
    static void PostLost(State& state, CUsbtmcTransport* owner, int error);

    QString m_label;
    std::shared_ptr<State> m_state; // shared with the worker, which may outlive this
    std::thread m_worker;
};

// The commands a write holds, each with its newline; a last piece without
// one stays in *partial until the rest comes.
std::deque<QByteArray> SplitCommands(const QByteArray& data, QByteArray* partial);
// A command that asks for a reply.
bool IsQuery(const QByteArray& command);
