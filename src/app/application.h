#pragma once

class QCoreApplication;

// Starts the program with its main window; returns the exit status.
int RunApplication(int argc, char** argv);

// Puts Qt's own texts (print and preview windows, file choosers, standard
// buttons) in French when the system has Qt's French translation. Returns
// whether it was found.
bool InstallQtFrench(QCoreApplication& application);

// The names the profile (recent files, the devices of COM1 and COM2) is kept
// under; the window and the batch acquisitions share it.
void SetProfileNames();
