#include "instruments/serial/portnames.h"

#include <QDir>
#include <QSerialPortInfo>
#include <QSettings>

namespace {

QString ProfileKey(int index) {
    return QStringLiteral("Ports/%1").arg(CPortNames::Name(index));
}

bool ValidIndex(int index) {
    return index >= 0 && index < CPortNames::kPortCount;
}

} // namespace

CPortNames::CPortNames() {
    for (int i = 0; i < kPortCount; ++i)
        m_path[i] = DefaultPath(i);
}

QString CPortNames::DefaultPath(int index) {
    return QStringLiteral("/dev/ttyS%1").arg(index);
}

QString CPortNames::Name(int index) {
    return QStringLiteral("COM%1").arg(index + 1);
}

QString CPortNames::DevicePath(int index) const {
    return ValidIndex(index) ? m_path[index] : QString();
}

void CPortNames::SetDevicePath(int index, const QString& path) {
    if (!ValidIndex(index) || path.isEmpty()) return;
    m_path[index] = path;
    m_bOverridden[index] = false;
    QSettings().setValue(ProfileKey(index), path);
}

void CPortNames::OverrideDevicePath(int index, const QString& path) {
    if (!ValidIndex(index) || path.isEmpty()) return;
    m_path[index] = path;
    m_bOverridden[index] = true;
}

void CPortNames::LoadProfile() {
    QSettings settings;
    for (int i = 0; i < kPortCount; ++i) {
        if (m_bOverridden[i]) continue;
        const QString path = settings.value(ProfileKey(i)).toString();
        if (!path.isEmpty()) m_path[i] = path;
    }
}

int CPortNames::IndexOf(const QString& portOrPath) {
    for (int i = 0; i < kPortCount; ++i)
        if (portOrPath.compare(Name(i), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString CPortNames::Resolve(const QString& portOrPath) const {
    const int index = IndexOf(portOrPath);
    return index >= 0 ? m_path[index] : portOrPath;
}

bool CPortNames::TakeCommandLine(QStringList* arguments, QString* error) {
    for (int k = 0; k < arguments->size();) {
        const QString& argument = arguments->at(k);
        int index = -1;
        for (int i = 0; i < kPortCount; ++i)
            if (argument == QStringLiteral("--com%1").arg(i + 1)) index = i;
        if (index < 0) {
            ++k;
            continue;
        }
        if (k + 1 >= arguments->size() || arguments->at(k + 1).isEmpty()) {
            if (error)
                *error = QStringLiteral("%1 attend le chemin d'un périphérique ou une adresse.")
                             .arg(argument);
            return false;
        }
        OverrideDevicePath(index, arguments->at(k + 1));
        arguments->remove(k, 2);
    }
    return true;
}

QStringList CPortNames::AvailableDevices() {
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    // USB oscilloscopes through the usbtmc driver.
    for (const QString& name :
         QDir(QStringLiteral("/dev")).entryList({QStringLiteral("usbtmc*")}, QDir::System))
        devices << QStringLiteral("/dev/") + name;
    devices.sort();
    return devices;
}
