#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "instruments/serial/serialtransport.h"

class CPortNames;

// The SCPI dialogs' hold on the oscilloscope: the device or address a port
// name stands for, opened through the narrow transport. It only carries
// bytes: the exchanges are the acquisition's and the identification's.
class CScpiLink : public QObject {
    Q_OBJECT
  public:
    // Opens what COM<portIndex + 1> stands for in ports.
    CScpiLink(int portIndex, const CPortNames& ports, QObject* parent = nullptr);
    // Opens a given device or address for that port index.
    CScpiLink(int portIndex, const QString& device, QObject* parent = nullptr);
    // Over a transport already open, or null with the reason it could not be.
    CScpiLink(int portIndex, std::unique_ptr<CSerialTransport> transport, const QString& failure,
              QObject* parent = nullptr);
    ~CScpiLink() override;

    int PortIndex() const { return m_nPort; }
    bool IsOpen() const { return m_pTransport && m_pTransport->IsOpen(); }
    // Why the device could not be opened, or went away; empty otherwise.
    QString Failure() const { return m_strFailure; }
    // Queues the bytes as given; false when the link is closed or refused them.
    bool Send(const QByteArray& data);

  signals:
    void Received(const QByteArray& bytes);
    // The device went away: the link is closed for good.
    void Lost(const QString& reason);

  private:
    void Attach(std::unique_ptr<CSerialTransport> transport, const QString& failure);
    void Drain();

    int m_nPort;
    std::unique_ptr<CSerialTransport> m_pTransport;
    QString m_strFailure;
};
