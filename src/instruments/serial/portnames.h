#pragma once

#include <QString>
#include <QStringList>

// COM1 and COM2 are names for device paths or addresses (a serial device, a
// scope's network address, a usbtmc device: portaddress.h). The user chooses the device of
// each name in the port dialogs (kept in the profile); --com1 / --com2 set
// one for a single run without touching the profile.
class CPortNames {
  public:
    static constexpr int kPortCount = 2; // index 0 = COM1, 1 = COM2

    CPortNames();

    static QString DefaultPath(int index); // /dev/ttyS0, /dev/ttyS1
    static QString Name(int index);        // "COM1", "COM2"

    QString DevicePath(int index) const;
    // The user's choice: used at once and kept in the profile.
    void SetDevicePath(int index, const QString& path);
    // For this run only.
    void OverrideDevicePath(int index, const QString& path);

    // Takes the profile's choices (organisation and application names must be set).
    void LoadProfile();

    // "COM1" / "COM2" (any case) give their device; anything else is a path.
    QString Resolve(const QString& portOrPath) const;
    // The index a port argument names, or -1 for a plain path.
    static int IndexOf(const QString& portOrPath);

    // Removes --com1 PATH and --com2 PATH from the arguments and applies them;
    // false (with *error) when one lacks its path.
    bool TakeCommandLine(QStringList* arguments, QString* error);

    // Serial and usbtmc devices found on this machine, for the port dialogs'
    // choices (pseudo-terminals are not listed: the user types their path).
    static QStringList AvailableDevices();

  private:
    QString m_path[kPortCount];
    bool m_bOverridden[kPortCount] = {false, false};
};
