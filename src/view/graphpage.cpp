#include "view/viewdraw.h"

// The graph drawing lands with the graph plotting.
void DrawGraphPage(QPainter&, CZbDoc&, CZbApp&, bool, bool) {}
