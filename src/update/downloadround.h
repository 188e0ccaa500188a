#pragma once

#include "update/downloadoptions.h"
#include "update/pausegate.h"
#include "update/segmentplan.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <memory>
#include <vector>

class DownloadRound;

// What the workers report to the job that started them. Called on the workers' threads.
class SegmentHost {
public:
    virtual void transferBegan(DownloadRound& round) = 0;
    virtual void bytesArrived(DownloadRound& round) = 0;
    virtual void statusText(const QString& line) = 0;
    virtual void segmentDone(DownloadRound& round, int segmentNumber) = 0;
    // Runs once per round, on the thread of the worker that finished last.
    virtual void lastWorkerFinished(DownloadRound& round) = 0;

protected:
    ~SegmentHost() = default;
};

// One set of workers fetching the segments of one plan. A job normally has one round; a second
// one, with a single connection, follows when the server turned out to ignore byte ranges.
// The part files lie in a folder of the round's own, made fresh beside the target, so that no
// file of the user's is ever written over or removed; only the joined target leaves it.
class DownloadRound final : public std::enable_shared_from_this<DownloadRound> {
public:
    DownloadRound(QByteArray address, QString targetPath, qint64 fileSize, QList<SegmentRange> segments, bool wholeFile,
                  DownloadOptions options, bool paused, SegmentHost& host);

    const QByteArray address;
    const QString targetPath;
    const qint64 fileSize; // -1 when the server named none
    const QList<SegmentRange> segments;
    // A single connection that may also take the whole file in a plain 200 reply.
    const bool wholeFile;
    const DownloadOptions options;
    SegmentHost& host;

    PauseGate gate;
    std::atomic<qint64> received = 0; // body bytes kept, all workers together
    std::atomic<int> failedSegments = 0;
    std::atomic<bool> rangeIgnored = false;
    std::atomic<bool> calledOff = false; // the job was cancelled (not a fall-back)
    std::atomic<bool> transferBegun = false;

    // Bytes each segment's part file holds, stored by its worker before it counts itself finished.
    std::vector<qint64> written;

    // Counts a worker finished; true for exactly one caller, the one that completes the round.
    bool countFinished();
    int finishedCount() const { return m_finished.load(); }

    bool hasPartFolder() const { return m_partFolder.isValid(); }
    QString partPath(int segmentNumber) const { return partFilePath(m_partBase, segmentNumber); }
    QStringList partPaths() const;
    // Removes the part folder with whatever it still holds. Called once, when the round ends.
    void removePartFolder();

private:
    std::atomic<int> m_finished = 0;
    QTemporaryDir m_partFolder;
    // The target's name in the part folder, cut short where a part number would not fit; part k adds k.
    QString m_partBase;
};
