#include "instruments/serial/ui/devicechoice.h"

#include <QLineEdit>

#include "instruments/serial/portnames.h"

QComboBox* NewDeviceChoice(QWidget* parent, std::function<void(const QString&)> chosen) {
    auto* choice = new QComboBox(parent);
    choice->setEditable(true);
    choice->setInsertPolicy(QComboBox::NoInsert);
    choice->addItems(CPortNames::AvailableDevices());
    choice->setMinimumContentsLength(16);
    auto take = [choice, chosen] { chosen(choice->currentText().trimmed()); };
    QObject::connect(choice->lineEdit(), &QLineEdit::editingFinished, choice, take);
    QObject::connect(choice, &QComboBox::activated, choice, take);
    return choice;
}
