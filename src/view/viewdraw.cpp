#include "view/viewdraw.h"

#include <QPainter>

#include "code/code.h"
#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

void DrawDocument(QPainter& painter, CZbDoc& doc, CZbApp& app, bool printing, bool clickFound) {
    if (doc.m_nDisplay == 0)
        CCode::DrawCodeSheet(&painter, &doc, &app, printing);
    else if (doc.m_nDisplay & kChannelImage)
        DrawImagePage(painter, doc, printing);
    else
        DrawGraphPage(painter, doc, app, printing, clickFound);
}

void DrawImagePage(QPainter& painter, CZbDoc& doc, bool printing) {
    if (!doc.m_pImage) return;
    painter.save();
    painter.resetTransform();
    if (printing) {
        // Every image pixel becomes 3 x 3 printer dots.
        painter.scale(3, 3);
    }
    doc.m_pImage->Draw(painter, 0, 0);
    painter.restore();
}
