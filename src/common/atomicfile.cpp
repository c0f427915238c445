#include "common/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

bool WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    QTemporaryFile temporary(path + QStringLiteral(".XXXXXX"));
    temporary.setAutoRemove(true);
    if (!temporary.open()) return false;
    // Unbuffered writes report a short write (disk full, size limit) that a
    // buffered flush can let pass unnoticed.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = temporary.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) return false;
        done += written;
    }
    if (!temporary.flush() || ::fsync(temporary.handle()) != 0) return false;
    if (QFileInfo(temporary.fileName()).size() != bytes.size()) return false;
    temporary.close();
    // Keep the permissions of the file being replaced.
    if (QFile::exists(path))
        temporary.setPermissions(QFile::permissions(path));
    else
        temporary.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                 QFile::ReadOther);
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        return false;
    temporary.setAutoRemove(false);
    return true;
}
