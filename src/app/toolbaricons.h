#pragma once

#include <QIcon>

// Toolbar pictures drawn in code, one per toolbar command; a null icon for
// any other command.
QIcon ToolbarIcon(int commandId);
