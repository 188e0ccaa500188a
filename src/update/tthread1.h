#pragma once

#include "update/segmentplan.h"
#include "update/segmentreply.h"

#include <QThread>

#include <memory>

class DownloadRound;
class QFile;

// A download worker: fetches one byte range of the archive over a connection of its own into
// its part file, checks what the server sent, and resumes a range that ended short.
class TThread1 final : public QThread {
public:
    TThread1(std::shared_ptr<DownloadRound> round, int segmentIndex);

protected:
    void run() override;

private:
    enum class Outcome { Done, Failed, RangeIgnored, CalledOff };

    Outcome DownloadSegment(QFile& part);
    SegmentReply::Result fetchRest(QFile& part);

    std::shared_ptr<DownloadRound> m_round;
    const int m_index;
    const SegmentRange m_segment;
    qint64 m_written = 0; // bytes of the range in the part file
};
