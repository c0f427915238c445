#pragma once

#include <QString>

// The fixed line about the program that every drawn page carries, the code
// sheet and the graph alike.
inline QString CreditLine() {
    return QStringLiteral("Lineatix - atelier d'étude de la lecture optique des codes à barres "
                          "EAN-13");
}
