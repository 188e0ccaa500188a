#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One byte range of the download; `last` is inclusive, -1 when the end is not known (the file
// size was not given, so the range runs to the end of whatever the server sends).
struct SegmentRange {
    int number = 1; // 1-based, names the part file
    qint64 first = 0;
    qint64 last = -1;
    qint64 length() const { return last < 0 ? -1 : last - first + 1; }
    bool operator==(const SegmentRange&) const = default;
};

// Cuts a file of `fileSize` bytes into `workerCount` consecutive ranges that cover it exactly.
// Fewer ranges are made when the file has fewer bytes than workers (no range is empty); an
// unknown size (-1) gives one open range; a size of 0 or a count below 1 gives no range.
QList<SegmentRange> planSegments(qint64 fileSize, int workerCount);

// "bytes=first-last", or "bytes=first-" for an open range.
QByteArray rangeHeaderValue(qint64 first, qint64 last);

// Part file k of a target: the target's path immediately followed by k.
QString partFilePath(const QString& targetPath, int number);
