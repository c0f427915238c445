#include "instruments/serial/serialdevice.h"

#include <QFileInfo>
#include <QSerialPort>
#include <unistd.h>

namespace {

class CQtSerialTransport : public CSerialTransport {
  public:
    explicit CQtSerialTransport(const QString& path) : m_path(path) {
        m_port.setPortName(path);
        connect(&m_port, &QSerialPort::readyRead, this, &CSerialTransport::BytesArrived);
        connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            // A read that fails on an open port means the device is gone (a
            // pulled adapter, a hung-up terminal). The port is closed at once:
            // otherwise Qt retries the dead descriptor in a busy loop.
            const bool gone = e == QSerialPort::ResourceError || e == QSerialPort::ReadError;
            if (gone && m_port.isOpen()) {
                m_port.close();
                emit Lost(QStringLiteral("Le périphérique %1 ne répond plus.").arg(m_path));
            }
        });
    }
    ~CQtSerialTransport() override { m_port.close(); }

    QSerialPort::SerialPortError Open() {
        m_port.setBaudRate(QSerialPort::Baud9600);
        m_port.setDataBits(QSerialPort::Data8);
        m_port.setParity(QSerialPort::NoParity);
        m_port.setStopBits(QSerialPort::OneStop);
        // QSerialPort takes the device's lock file: a second open fails.
        if (m_port.open(QIODevice::ReadWrite)) return QSerialPort::NoError;
        return m_port.error();
    }
    QString ErrorString() const { return m_port.errorString(); }

    bool IsOpen() const override { return m_port.isOpen(); }
    bool Write(const QByteArray& data) override {
        if (!m_port.isOpen()) return false;
        if (m_port.write(data) != data.size()) return false;
        m_port.flush(); // sends what the device takes now, without waiting
        return true;
    }
    QByteArray ReadPending() override { return m_port.isOpen() ? m_port.readAll() : QByteArray(); }
    void Close() override { m_port.close(); }

  private:
    QString m_path;
    QSerialPort m_port;
};

QString Reason(const QString& path, QSerialPort::SerialPortError error, const QString& detail) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("Le périphérique %1 n'existe pas.").arg(path);
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError: {
        // Qt says "permission" both for a lock held by another program and
        // for a device the user may not open: the access bits tell them apart.
        const QByteArray local = QFileInfo(path).absoluteFilePath().toLocal8Bit();
        if (access(local.constData(), R_OK | W_OK) != 0)
            return QStringLiteral("Accès refusé au périphérique %1 : l'utilisateur doit faire "
                                  "partie du groupe dialout.")
                .arg(path);
        return QStringLiteral("Le périphérique %1 est utilisé par un autre programme.").arg(path);
    }
    default:
        return QStringLiteral("Le périphérique %1 ne peut pas être ouvert (%2).").arg(path, detail);
    }
}

} // namespace

std::unique_ptr<CSerialTransport> OpenSerialDevice(const QString& path, QString* reason) {
    if (path.isEmpty()) {
        if (reason) *reason = QStringLiteral("Aucun périphérique n'est associé à ce port.");
        return nullptr;
    }
    auto transport = std::make_unique<CQtSerialTransport>(path);
    const QSerialPort::SerialPortError error = transport->Open();
    if (error == QSerialPort::NoError) return transport;
    if (reason) *reason = Reason(path, error, transport->ErrorString());
    return nullptr;
}
