#include "update/mergepartfiles.h"

#include "platform/logging.h"

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
    if (partPaths.isEmpty())
        return false;
    // The first part grows into the joined file, so only the others are copied, and nothing is
    // written outside the parts' own folder until the finished file takes the target's name.
    const QString& joinPath = partPaths.first();
    bool ok = false;
    {
        QFile joined(joinPath);
        // Not opened for appending: the kernel's copy refuses files opened that way.
        if (joined.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered) &&
            joined.seek(joined.size())) {
            qint64 total = joined.size();
            ok = true;
            for (const QString& path : partPaths.mid(1)) {
                QFile part(path);
                const qint64 copied =
                    part.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ? appendWhole(part, joined) : -1;
                if (copied < 0) {
                    qCInfo(lcUpdate) << "cannot append" << path << "to the joined file";
                    ok = false;
                    break;
                }
                total += copied;
            }
            if (ok && total != expectedSize) {
                qCInfo(lcUpdate) << "the joined file holds" << total << "bytes instead of" << expectedSize;
                ok = false;
            }
            joined.close();
            ok = ok && joined.error() == QFileDevice::NoError;
        } else {
            qCInfo(lcUpdate) << "cannot open the first part" << joinPath << joined.errorString();
        }
    }
    if (ok) {
        std::error_code error;
#ifdef Q_OS_WIN
        // A narrow path is read in the ANSI code page there: "新版.rar" could not be named.
        std::filesystem::rename(joinPath.toStdWString(), targetPath.toStdWString(), error);
#else
        std::filesystem::rename(QFile::encodeName(joinPath).toStdString(), QFile::encodeName(targetPath).toStdString(),
                                error);
#endif
        if (error)
            qCInfo(lcUpdate) << "cannot rename the joined file to" << targetPath << error.message().c_str();
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
