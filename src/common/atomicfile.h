#pragma once

#include <QByteArray>
#include <QString>

// Writes the whole of bytes to path, or leaves path as it was: the data go to
// a temporary file beside it, are checked on disk, then renamed over it.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);
