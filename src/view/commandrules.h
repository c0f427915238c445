#pragma once

class CZbDoc;

// When a command of the menus and the toolbar can be chosen.
enum class CommandRule {
    Always,
    Graph,  // samples exist and a graph (neither the code sheet nor the image) is shown
    PortIo, // the digital card can be reached: direct I/O-port access, or the simulated card
};

// The modeless tool a command opens, whose menu item is checked while open.
enum class CommandTool { None, Extraction, Regression, Zoom };

// The view shows the graph: neither the code sheet (0) nor the image (bit 32,
// which wins over any curve bit, as in the drawing).
bool ShowsGraph(const CZbDoc& doc);
bool GraphRule(const CZbDoc& doc);
bool CommandEnabled(CommandRule rule, const CZbDoc& doc);
bool CommandChecked(CommandTool tool, const CZbDoc& doc);

// Whether this process may read and write the I/O ports of the digital card
// directly (an x86 machine and the raw I/O capability).
bool PortIoPossible();
