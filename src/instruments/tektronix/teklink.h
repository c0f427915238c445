#pragma once

#include "instruments/serial/textlink.h"
#include "instruments/tektronix/tekreplies.h"

// The Tektronix dialogs' owner of the oscilloscope's port: commands out,
// replies into the receive buffer (Send, ReadLine, ClearBuffer, m_strBuffer),
// and the waveform preamble of the source being acquired.
class CTekLink : public CTextSerialLink, public CTekPreamble {
    Q_OBJECT

  public:
    using CTextSerialLink::CTextSerialLink;
};
