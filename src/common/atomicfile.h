#pragma once

#include <QByteArray>
#include <QString>

// Writes the whole of bytes to path, or leaves path as it was: the data go to
// a temporary file beside it, are checked on disk, then renamed over it. A
// symbolic link is written through (the temporary goes beside its target);
// a path that is neither a regular file nor a link to one is refused.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);
