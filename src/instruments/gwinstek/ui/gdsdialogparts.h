#pragma once

#include <initializer_list>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;
class CGdsLink;
class CSerialCaptureDlg;

// Pieces of the two GDS-820C dialogs.

// Shows the capture monitor window of a link, next to `owner`: it follows the
// monitor and is destroyed with the link.
CSerialCaptureDlg* ShowCaptureMonitor(CGdsLink* link, QWidget* owner);

// The dialogs' shape: the group of choices, the buttons in a column beside
// it (none pressed by Return), and the message field below.
void LayOutGdsDialog(QDialog* dialog, QWidget* group, std::initializer_list<QPushButton*> buttons,
                     QLabel* message);
