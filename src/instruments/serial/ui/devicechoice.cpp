#include "instruments/serial/ui/devicechoice.h"

#include <QLineEdit>

#include "instruments/serial/portnames.h"

QComboBox* NewDeviceChoice(QWidget* parent, std::function<void(const QString&)> chosen) {
    auto* choice = new QComboBox(parent);
    choice->setEditable(true);
    choice->setInsertPolicy(QComboBox::NoInsert);
    choice->addItems(CPortNames::AvailableDevices());
    choice->setMinimumContentsLength(16);
    // Scopes of today are reached over the network or USB as well.
    choice->lineEdit()->setPlaceholderText(QStringLiteral("/dev/ttyUSB0, 192.168.0.20:5555..."));
    choice->lineEdit()->setToolTip(
        QStringLiteral("Un port série (/dev/ttyS0, /dev/ttyUSB0), l'adresse réseau d'un "
                       "oscilloscope et le port de son serveur SCPI (192.168.0.20:5555 ou "
                       "TCPIP::192.168.0.20::5555::SOCKET), ou un oscilloscope USB (/dev/usbtmc0 "
                       "ou USB0::0x1AB1::0x04CE::NUMERO_DE_SERIE::INSTR)"));
    auto take = [choice, chosen] { chosen(choice->currentText().trimmed()); };
    QObject::connect(choice->lineEdit(), &QLineEdit::editingFinished, choice, take);
    QObject::connect(choice, &QComboBox::activated, choice, take);
    return choice;
}
