#pragma once

#include "view/commandids.h"
#include "view/commandrules.h"

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
