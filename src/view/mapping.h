#pragma once

#include <QSize>

class QPainter;

// Page mappings: millimetres with y upward become logical units, the painter's
// world transform takes logical units to the device.

// Screen: 100 logical units per mm, the page (left, bottom)..(right, top)
// fitted isotropically into the client area from its top-left corner.
// Returns 100.
float SetScreenMapping(QPainter& painter, QSize client, float left, float bottom, float right,
                       float top);

// Paper: twips (56.692913 per mm) at true size, the page's top-left corner
// (left, top) at the top-left of the printable area. Returns 56.692913.
float SetPrintMapping(QPainter& painter, float left, float bottom, float right, float top);
