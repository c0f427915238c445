#pragma once

#include <QString>
#include <cstdint>

class CGdsLink;
class CZbDoc;

// The "&Tester" exchange of "Paramètres port série GDS-820C": "*CLS" and
// "*IDN?", then the reply once the capture file has been closed for more
// than 50 ticks of 10 ms. The dialog ticks it and shows its message.
class CGdsIdentify {
  public:
    static constexpr int kTicks = 50;

    CGdsIdentify(CZbDoc* doc, int port) : m_pDoc(doc), m_nPort(port) {}

    // Sends the two commands; the dialog then ticks until Tick() returns true.
    void Test(CGdsLink* link);
    // True when the reply was handled (the dialog stops its timer).
    bool Tick(CGdsLink* link);
    // A new port: any exchange under way is dropped.
    void Cancel() { m_bWaiting = false; }

    QString m_strMessage =
        QStringLiteral("Cliquer sur Tester pour valider la communication avec l'oscilloscope...");
    std::int16_t m_nTicks = 0;
    bool m_bWaiting = false;
    bool m_bOkEnabled = true;
    bool m_bTestEnabled = true;
    CZbDoc* m_pDoc;
    int m_nPort;
};
