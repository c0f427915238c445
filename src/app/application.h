#pragma once

// Starts the program with its main window; returns the exit status.
int RunApplication(int argc, char** argv);
