#pragma once

class QPainter;
class CZbDoc;
class CZbApp;

// What the view shows, drawn on any painter (widget, image, printer, PDF):
// the code sheet for display 0, the image for display 32, the graph otherwise.
// The painter's device gives the client size on screen; printing selects the
// true-size paper mapping. clickFound colours the cursor point of the graph.
void DrawDocument(QPainter& painter, CZbDoc& doc, CZbApp& app, bool printing, bool clickFound);

// The graph mode: mapping, curves, legend, regressions and cursor point.
void DrawGraphPage(QPainter& painter, CZbDoc& doc, CZbApp& app, bool printing, bool clickFound);

// The image mode: the document's image at the top-left, three times enlarged
// on paper.
void DrawImagePage(QPainter& painter, CZbDoc& doc, bool printing);
