#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the character set of the strings in .cod files ("é" is the
// single byte 0xE9). Characters it cannot hold are written as '?'.
QByteArray ToWindows1252(const QString& text);
QString FromWindows1252(const QByteArray& bytes);
