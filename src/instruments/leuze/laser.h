#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

#include "instruments/leuze/leuzelink.h"

// "Mise en marche laser" without its window: switches the reader's beam on
// ("CA+", "DL+") and off ("H") without reading a code. A beam left on is a
// hazard: closing while it is on switches it off.
class CLaserControl : public QObject {
    Q_OBJECT
  public:
    CLaserControl(std::unique_ptr<CLeuzeLink> link, QObject* parent = nullptr);
    ~CLaserControl() override;

    // "&Démarrer" / "&Arrêter".
    void Toggle();
    // Closing, by "&Fermer" or otherwise: the beam goes off, the link closes.
    void Close();

    QString ButtonCaption() const;

    std::int32_t m_bBeamOn = 0;
    QString m_strMessage;
    bool m_bCloseEnabled = true;
    std::unique_ptr<CLeuzeLink> m_pLink;

  signals:
    void changed();

  private:
    void OnLost();
};
