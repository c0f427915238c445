#pragma once

class QButtonGroup;
class QGroupBox;
class QLabel;
class QString;
class QWidget;

// Pieces the dialogs share.

// A label whose mnemonic ("&T(s):") moves the focus to its edit.
QLabel* NewBuddyLabel(const QString& text, QWidget* buddy, QWidget* parent);

// The framed multi-line field where a dialog writes its messages; object name
// "message".
QLabel* NewMessageField(QWidget* parent, int minimumWidth, int minimumHeight);

// The group "Voie à extraire" with the radios CH1, CH2, REF1, REF2 and MATH,
// ids 0 to 4 in the button group.
QGroupBox* NewScanChannelGroup(QWidget* parent, QButtonGroup* radios);
