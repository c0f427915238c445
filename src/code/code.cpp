#include "code/code.h"

#include "graph/plotter.h"

// The EAN-13 model lands with the code sheet.
CCode::CCode(QPainter* painter, CZbDoc* doc, bool printing)
    : m_pPlotter(std::make_unique<CPlotter>(painter, doc, printing)), m_pDC(painter), m_pDoc(doc)
{
}

CCode::CCode(CZbDoc* doc) : m_pDoc(doc), m_bDecodeOnly(1) {}

CCode::~CCode() = default;

void CCode::DrawCodeSheet(QPainter*, CZbDoc*, CZbApp*, bool) {}
