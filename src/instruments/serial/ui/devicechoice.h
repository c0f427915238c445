#pragma once

#include <QComboBox>
#include <functional>

// The device a port name stands for, as the port dialogs offer it: the serial
// and usbtmc devices found on this machine, or any path or address typed in
// (pseudo-terminals are not listed; see portaddress.h for the forms). `chosen` runs with the
// trimmed path when the user picks or types one.
QComboBox* NewDeviceChoice(QWidget* parent, std::function<void(const QString&)> chosen);
