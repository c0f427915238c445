#pragma once

#include <QComboBox>
#include <functional>

// The device a port name stands for, as the port dialogs offer it: the serial
// ports found on this machine, or any path typed in (pseudo-terminals are not
// listed). `chosen` runs with the trimmed path when the user picks or types one.
QComboBox* NewDeviceChoice(QWidget* parent, std::function<void(const QString&)> chosen);
