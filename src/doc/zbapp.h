#pragma once

#include <QString>
#include <cstdint>

#include "common/novalue.h"
#include "instruments/serial/portnames.h"

class CZbDoc;

// Mouse and reference-point state shared by the view, the status bar and the
// graph drawing, and the serial devices chosen for COM1 and COM2. One per program; passed
// explicitly to whoever needs it.
class CZbApp {
  public:
    float m_fMouseX = 0; // mouse position in shown graph units
    float m_fMouseY = 0;
    float m_fRefX = kNoValue; // reference point in shown units; 1e10 = none
    float m_fRefY = kNoValue;
    std::int16_t m_nMarkX = 0; // pixel of the last clicked or key-selected point
    std::int16_t m_nMarkY = 0;
    std::int16_t m_nMouseX = 0; // mouse position in client pixels
    std::int16_t m_nMouseY = 0;
    std::int16_t m_nRefPixelX = 0; // reference pixel of the image readout; (0, 0) = none
    std::int16_t m_nRefPixelY = 0;
    CZbDoc* m_pDoc = nullptr; // the single document
    CPortNames m_ports;       // the devices COM1 and COM2 stand for
    // The code the simulated PC-MES3 card delivers (--simulated-card); empty
    // for the real card.
    QString m_strSimulatedCard;
    // The PC-MES3 card can be used: direct port access or the simulated card,
    // worked out once at start.
    bool m_bCardAvailable = false;

    bool HasReference() const { return !(IsNoValue(m_fRefX) && IsNoValue(m_fRefY)); }
    void ClearReference() {
        m_fRefX = kNoValue;
        m_fRefY = kNoValue;
    }
};
