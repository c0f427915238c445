#pragma once

class QLineEdit;
class QWidget;

// Edits for numbers in dialogs. A number is shown with "." as the decimal
// separator; what cannot be read as a number leaves the value it replaced.

// An edit that accepts a decimal number ("0.6", "2.5e-005", "-3"; "0,6" too).
QLineEdit* NewRealEdit(QWidget* parent, const char* objectName);
// An edit that accepts up to maxDigits decimal digits.
QLineEdit* NewDigitsEdit(QWidget* parent, const char* objectName, int maxDigits);

float ReadRealField(const QLineEdit* edit, float previous);
int ReadIntegerField(const QLineEdit* edit, int previous);
void ShowRealField(QLineEdit* edit, float value);
void ShowIntegerField(QLineEdit* edit, int value);
