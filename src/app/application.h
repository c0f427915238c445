#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class CZbApp;

// Starts the program with its main window; returns the exit status.
int RunApplication(int argc, char** argv);

// Puts Qt's own texts (print and preview windows, file choosers, standard
// buttons) in French when the system has Qt's French translation. Returns
// whether it was found.
bool InstallQtFrench(QCoreApplication& application);

// The names the profile (recent files, the devices of COM1 and COM2) is kept
// under; the window and the batch acquisitions share it.
void SetProfileNames();

// --simulated-card CODE puts a PC-MES3 card delivering CODE (13 digits) in
// the program, which makes its acquisition command available without the
// hardware. Takes the option off the arguments and makes the card available;
// false with *error on a bad code.
bool TakeSimulatedCard(QStringList* arguments, CZbApp* app, QString* error);
