#pragma once

#include <cstdint>

class CZbDoc;
class CZbApp;

// Rules of the display-selection dialog, away from its widgets.
enum class DisplayType { CodeSheet, Graph, Image };

// Bits of the dialog's check boxes: the five channels and the edges.
constexpr std::int16_t kDisplayBoxBits[] = {1, 2, 4, 8, 16, 64};
constexpr int kDisplayBoxCount = int(sizeof kDisplayBoxBits / sizeof kDisplayBoxBits[0]);

// With "Graphe" chosen, a channel box is usable only when the channel holds
// data; the edges box always is. With the other types no box is usable.
bool DisplayBoxEnabled(DisplayType type, std::int16_t channels, std::int16_t bit);

// The checks offered when "Graphe" is chosen: the current selection when it
// names at most the channels, else the channels that hold data, plus the
// edges when they are shown.
std::int16_t InitialGraphChecks(const CZbDoc& doc);

// m_nDisplay for the chosen type and boxes; a graph with nothing checked is
// the code sheet.
std::int16_t DisplayFromSelection(DisplayType type, std::int16_t checkedBits);

// Confirms a selection: the display changes, the regressions start over and
// the reference point moves to (0, 0).
void ApplyDisplaySelection(CZbDoc& doc, CZbApp& app, std::int16_t display);
