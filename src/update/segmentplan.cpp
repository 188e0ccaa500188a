#include "update/segmentplan.h"

QList<SegmentRange> planSegments(qint64 fileSize, int workerCount)
{
    QList<SegmentRange> plan;
    if (workerCount < 1)
        return plan;
    if (fileSize < 0) {
        plan.append({1, 0, -1});
        return plan;
    }
    if (fileSize == 0)
        return plan;
    const qint64 count = std::min<qint64>(workerCount, fileSize);
    const qint64 size = fileSize / count;
    for (qint64 k = 1; k <= count; ++k) {
        const qint64 first = (k - 1) * size;
        const qint64 last = k == count ? fileSize - 1 : k * size - 1;
        plan.append({int(k), first, last});
    }
    return plan;
}

QByteArray rangeHeaderValue(qint64 first, qint64 last)
{
    QByteArray value = "bytes=" + QByteArray::number(first) + '-';
    if (last >= 0)
        value += QByteArray::number(last);
    return value;
}

QString partFilePath(const QString& targetPath, int number)
{
    return targetPath + QString::number(number);
}
