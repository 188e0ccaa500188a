#include "update/downloadround.h"

#include "platform/logging.h"

#include <QFileInfo>

namespace {

// "<folder of the target>/<target name>.parts-XXXXXX": recognisable as the download's own.
QString partFolderTemplate(const QString& targetPath)
{
    const QFileInfo target(targetPath);
    return target.absolutePath() + QLatin1Char('/') + target.fileName() + QStringLiteral(".parts-XXXXXX");
}

} // namespace

DownloadRound::DownloadRound(QByteArray address, QString targetPath, qint64 fileSize, QList<SegmentRange> segments,
                             bool wholeFile, DownloadOptions options, bool paused, SegmentHost& host)
    : address(std::move(address)), targetPath(std::move(targetPath)), fileSize(fileSize), segments(std::move(segments)),
      wholeFile(wholeFile), options(std::move(options)), host(host), gate(paused),
      written(size_t(this->segments.size()), 0), m_partFolder(partFolderTemplate(this->targetPath))
{
    if (m_partFolder.isValid())
        m_partBase = m_partFolder.filePath(QFileInfo(this->targetPath).fileName());
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
