#include "common/atomicfile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A FIFO, a device or a folder at the path (or at the end of its links) is
// not a file to replace: writing there would block, or put a regular file in
// its place.
bool IsReplaceable(const QString& path) {
    const QFileInfo info(path); // follows links
    return !info.exists() || info.isFile();
}

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    if (!IsReplaceable(path)) return false;
    // QSaveFile writes beside the link's target and renames over it, so a
    // symbolic link stays a link and its target gets the new contents; an
    // existing file keeps its permissions.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered writes report a short write (disk full, size limit) that a
    // buffered flush can let pass unnoticed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            file.cancelWriting();
            return false;
        }
        done += written;
    }
    struct stat written {};
    if (::fsync(file.handle()) != 0 || ::fstat(file.handle(), &written) != 0 ||
        written.st_size != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
