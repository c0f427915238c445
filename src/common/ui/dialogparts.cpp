#include "common/ui/dialogparts.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

QLabel* NewBuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QLabel* NewMessageField(QWidget* parent, int minimumWidth, int minimumHeight) {
    auto* message = new QLabel(parent);
    message->setObjectName(QStringLiteral("message"));
    message->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    message->setWordWrap(true);
    message->setMinimumSize(minimumWidth, minimumHeight);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return message;
}

QGroupBox* NewScanChannelGroup(QWidget* parent, QButtonGroup* radios) {
    static const char* const kNames[] = {"CH1", "CH2", "REF1", "REF2", "MATH"};
    auto* box = new QGroupBox(QStringLiteral("Voie à extraire"), parent);
    auto* layout = new QVBoxLayout(box);
    int id = 0;
    for (const char* name : kNames) {
        auto* radio = new QRadioButton(QLatin1String(name), box);
        radios->addButton(radio, id++);
        layout->addWidget(radio);
    }
    return box;
}
