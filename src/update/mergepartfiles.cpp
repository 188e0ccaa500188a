#include "update/mergepartfiles.h"

#include <QFile>

#include <filesystem>
#include <vector>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <unistd.h>
#endif

namespace {

// Appends everything `in` holds from its current position to `out`; returns the bytes copied,
// -1 on failure. The kernel copies without the data passing through this process where it can.
qint64 appendWhole(QFile& in, QFile& out)
{
    qint64 copied = 0;
#ifdef Q_OS_LINUX
    for (;;) {
        const ssize_t n = ::copy_file_range(in.handle(), nullptr, out.handle(), nullptr, 1 << 30, 0);
        if (n > 0) {
            copied += n;
            continue;
        }
        if (n == 0)
            return copied;
        if (copied == 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            break; // not possible between these files: copy through a buffer below
        return -1;
    }
#endif
    if (!out.seek(out.size()))
        return -1;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const qint64 n = in.read(buffer.data(), qint64(buffer.size()));
        if (n < 0)
            return -1;
        if (n == 0)
            return copied;
        if (out.write(buffer.data(), n) != n)
            return -1;
        copied += n;
    }
}

} // namespace

void removePartFiles(const QStringList& partPaths)
{
    for (const QString& path : partPaths)
        QFile::remove(path);
}

bool joinPartFiles(const QString& targetPath, const QStringList& partPaths, qint64 expectedSize)
{
    const QString joinPath = targetPath + QStringLiteral(".join");
    QFile::remove(joinPath);
    // The first part becomes the start of the joined file by renaming it (it lies in the same
    // folder), so only the others are copied.
    int copyFrom = 0;
    if (!partPaths.isEmpty() && QFile::rename(partPaths.first(), joinPath))
        copyFrom = 1;
    bool ok = false;
    {
        QFile target(joinPath);
        // Not opened for appending: the kernel's copy refuses files opened that way.
        const QIODevice::OpenMode mode =
            copyFrom == 1 ? QIODevice::ReadWrite : QIODevice::WriteOnly | QIODevice::Truncate;
        if (target.open(mode | QIODevice::Unbuffered) && target.seek(target.size())) {
            qint64 total = target.size();
            ok = true;
            for (const QString& path : partPaths.mid(copyFrom)) {
                QFile part(path);
                const qint64 copied =
                    part.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ? appendWhole(part, target) : -1;
                if (copied < 0) {
                    ok = false;
                    break;
                }
                total += copied;
            }
            ok = ok && total == expectedSize;
            target.close();
            ok = ok && target.error() == QFileDevice::NoError;
        }
    }
    if (ok) {
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(joinPath).toStdString(), QFile::encodeName(targetPath).toStdString(),
                                error);
        ok = !error;
    }
    if (!ok)
        QFile::remove(joinPath);
    return ok;
}

bool MergePartFiles(const QString& targetPath, const QStringList& partPaths, qint64 expectedSize)
{
    const bool ok = joinPartFiles(targetPath, partPaths, expectedSize);
    removePartFiles(partPaths);
    return ok;
}
