#pragma once

#include <QString>
#include <cstdint>

// Texts shared by the two serial monitor windows.

// A span of seconds as "%H:%M:%S" (hours, minutes, seconds, two digits each).
QString ElapsedText(std::int64_t seconds);

// "Connecté à COM1:9600,8,'N',1 depuis 00:01:05" for port index 0 on a
// serial line; "Connecté à COM1 (192.168.0.20:5555) depuis 00:01:05" on a
// link that names itself (a socket, a usbtmc device).
QString ConnectedLine(int portIndex, std::int64_t elapsedSeconds,
                      const QString& linkName = QString());

// "Erreur de connexion au port COM2 !" and, on a second line, the device and
// the reason the open failed.
QString ConnectionErrorText(int portIndex, const QString& reason);

// A display text kept short: past `keep` characters it becomes "... "
// followed by its last `keep` characters.
QString FoldDisplay(const QString& text, int keep);
