#pragma once

#include "view/commandrules.h"

// Command numbers, as the menus, the toolbar and the status-bar prompts know them.
enum CommandId : int {
    kCmdFileOpen = 57601,
    kCmdFileSave = 57603,
    kCmdFileSaveAs = 57604,
    kCmdFileNew = 57600,
    kCmdExportText = 32792,
    kCmdReadImage = 32810,
    kCmdPrint = 57607,
    kCmdPrintPreview = 57609,
    kCmdPrintSetup = 57606,
    kCmdRecentFiles = 57616,
    kCmdExit = 57665,
    kCmdToolbar = 59392,
    kCmdStatusBar = 59393,
    kCmdDisplayType = 32783,
    kCmdPcMes3 = 32809,
    kCmdTekPort = 32776,
    kCmdTekAcquire = 32778,
    kCmdGdsPort = 32814,
    kCmdGdsAcquire = 32813,
    kCmdRotate = 32803,
    kCmdExtract = 32799,
    kCmdAnalyse = 32805,
    kCmdLeuzeConnect = 32807,
    kCmdLeuzeLaser = 32815,
    kCmdLeuzeRead = 32808,
    kCmdGenerateCode = 32800,
    kCmdCodeParameters = 32788,
    kCmdRegressions = 32789,
    kCmdZoom = 32797,
    kCmdLegend = 32790,
    kCmdAbout = 57664,
    kCmdResetCursor = 32775,
    kCmdContextLegend = 32791,
};

// One row of the menus: where it sits, what it shows and when it can be chosen.
struct CommandInfo {
    int id;
    const char* menu;     // top-level menu
    const char* submenu;  // nested menu, or null
    const char* text;     // menu item
    const char* prompt;   // status-bar prompt, then "\n" and the tooltip
    const char* shortcut; // key sequence, or null
    CommandRule rule;
    CommandTool tool;    // modeless tool whose item is checked while open
    bool separatorAfter; // a separator follows the item in its menu
};

// Every menu item in menu order.
extern const CommandInfo kCommandTable[];
extern const int kCommandCount;

// The toolbar, left to right; 0 is a separator.
extern const int kToolbarCommands[];
extern const int kToolbarCount;

const CommandInfo* FindCommand(int id);
