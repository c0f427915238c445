#pragma once

#include <QByteArray>
#include <QList>

#include "instruments/serial/serialtransport.h"

// A transport without a device, for protocol tests: what the code writes is
// kept in order, and the test hands it received bytes.
class CFakeTransport : public CSerialTransport {
  public:
    bool IsOpen() const override { return m_bOpen; }
    bool Write(const QByteArray& data) override {
        if (!m_bOpen || m_bRefuseWrites) return false;
        m_written << data;
        return true;
    }
    QByteArray ReadPending() override {
        const QByteArray bytes = m_pending;
        m_pending.clear();
        return bytes;
    }
    void Close() override { m_bOpen = false; }

    // Bytes from the instrument: pending until read; tells the reader.
    void Receive(const QByteArray& bytes) {
        m_pending += bytes;
        emit BytesArrived();
    }
    void Unplug() {
        m_bOpen = false;
        emit Lost(QStringLiteral("Le périphérique /dev/fake ne répond plus."));
    }
    QByteArray AllWritten() const {
        QByteArray all;
        for (const QByteArray& data : m_written)
            all += data;
        return all;
    }

    QList<QByteArray> m_written;
    QByteArray m_pending;
    bool m_bOpen = true;
    bool m_bRefuseWrites = false;
};
