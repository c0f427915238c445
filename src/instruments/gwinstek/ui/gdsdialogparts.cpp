#include "instruments/gwinstek/ui/gdsdialogparts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "instruments/gwinstek/gdslink.h"
#include "instruments/serial/ui/capturedlg.h"

CSerialCaptureDlg* ShowCaptureMonitor(CGdsLink* link, QWidget* owner) {
    if (!link) return nullptr;
    auto* window = new CSerialCaptureDlg(&link->Monitor(), owner);
    QObject::connect(link, &CGdsLink::monitorChanged, window, &CSerialCaptureDlg::Refresh);
    QObject::connect(link, &CGdsLink::closing, window, [window] { delete window; });
    window->show();
    return window;
}

void LayOutGdsDialog(QDialog* dialog, QWidget* group, std::initializer_list<QPushButton*> buttons,
                     QLabel* message) {
    auto* column = new QVBoxLayout;
    for (QPushButton* button : buttons) {
        // Return in the port dialog's device field takes the device only.
        button->setAutoDefault(false);
        column->addWidget(button);
    }
    column->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(group);
    top->addLayout(column);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(top);
    layout->addWidget(message, 1);
}
