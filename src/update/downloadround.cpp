#include "update/downloadround.h"

#include "platform/logging.h"

#include <QFileInfo>

namespace {

// File names hold at most 255 bytes on Linux's file systems (UTF-8 here) and 255 UTF-16 units on
// Windows'; a name within 255 bytes of UTF-8 is within both.
constexpr qsizetype maxFileNameBytes = 255;

// The start of `name`, cut between whole characters, that leaves room for `reserved` ASCII
// characters after it: the whole name whenever it fits.
QString nameLeavingRoom(const QString& name, qsizetype reserved)
{
    QString start = name;
    while (!start.isEmpty() && start.toUtf8().size() + reserved > maxFileNameBytes)
        start.chop(start.size() >= 2 && start.back().isLowSurrogate() ? 2 : 1);
    return start;
}

constexpr QLatin1String partFolderSuffix(".parts-XXXXXX");

// "<folder of the target>/<target name>.parts-XXXXXX", the name cut short where the whole would not
// fit: recognisable as the download's own.
QString partFolderTemplate(const QString& targetPath)
{
    const QFileInfo target(targetPath);
    return target.absolutePath() + QLatin1Char('/') + nameLeavingRoom(target.fileName(), partFolderSuffix.size()) +
           partFolderSuffix;
}

// The parts are named after the target, with room left for the largest part number.
QString partBaseName(const QString& targetPath, const QList<SegmentRange>& segments)
{
    const int largest = segments.isEmpty() ? 1 : segments.last().number;
    return nameLeavingRoom(QFileInfo(targetPath).fileName(), QString::number(largest).size());
}

} // namespace

DownloadRound::DownloadRound(QByteArray address, QString targetPath, qint64 fileSize, QList<SegmentRange> segments,
                             bool wholeFile, DownloadOptions options, bool paused, SegmentHost& host)
    : address(std::move(address)), targetPath(std::move(targetPath)), fileSize(fileSize), segments(std::move(segments)),
      wholeFile(wholeFile), options(std::move(options)), host(host), gate(paused),
      written(size_t(this->segments.size()), 0), m_partFolder(partFolderTemplate(this->targetPath))
{
    if (m_partFolder.isValid())
        m_partBase = m_partFolder.filePath(partBaseName(this->targetPath, this->segments));
    else
        qCInfo(lcUpdate) << "cannot make a folder for the part files:" << m_partFolder.errorString();
}

bool DownloadRound::countFinished()
{
    // acq_rel: the last worker sees every other worker's `written` entry and closed part file.
    return m_finished.fetch_add(1, std::memory_order_acq_rel) + 1 == int(segments.size());
}

QStringList DownloadRound::partPaths() const
{
    QStringList paths;
    for (const SegmentRange& segment : segments)
        paths.append(partPath(segment.number));
    return paths;
}

void DownloadRound::removePartFolder()
{
    if (m_partFolder.isValid() && !m_partFolder.remove())
        qCInfo(lcUpdate) << "cannot remove the part folder" << m_partFolder.path();
}
