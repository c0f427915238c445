#include "graph/zoomselection.h"

#include <algorithm>

#include "common/format.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

void CZoomSelection::Start(CZbDoc* doc, CZbApp* app) {
    m_pDoc = doc;
    m_strMessage = QStringLiteral("Tracer ou modifier le rectangle avec la souris...");
    m_fXMin = m_fYMin = m_fXMax = m_fYMax = kNoValue;
    m_pDoc->ResetZoom();
    if (app) app->ClearReference();
}

void CZoomSelection::SetRectangle(float x1, float y1, float x2, float y2) {
    m_fXMin = std::min(x1, x2);
    m_fXMax = std::max(x1, x2);
    m_fYMin = std::min(y1, y2);
    m_fYMax = std::max(y1, y2);
    m_strMessage = Sprintf("xmi: %1.3f, ymi: %1.3f\r\nxma: %1.3f, yma: %1.3f", m_fXMin, m_fYMin,
                           m_fXMax, m_fYMax);
}

void CZoomSelection::Accept() {
    if (HasRectangle())
        m_pDoc->SetZoom(m_fXMin / m_pDoc->m_fMultX, m_fYMin / m_pDoc->m_fMultY,
                        m_fXMax / m_pDoc->m_fMultX, m_fYMax / m_pDoc->m_fMultY);
    Close();
}

void CZoomSelection::Close() {
    m_pDoc->m_bZoomOpen = 0;
}
