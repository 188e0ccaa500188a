#include "update/downloadround.h"

DownloadRound::DownloadRound(QByteArray address, QString targetPath, qint64 fileSize, QList<SegmentRange> segments,
                             bool wholeFile, DownloadOptions options, bool paused, SegmentHost& host)
    : address(std::move(address)), targetPath(std::move(targetPath)), fileSize(fileSize), segments(std::move(segments)),
      wholeFile(wholeFile), options(std::move(options)), host(host), gate(paused),
      written(size_t(this->segments.size()), 0)
{
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
