#include "update/tthread1.h"

#include "platform/logging.h"
#include "update/downloadround.h"
#include "update/segmentreply.h"

#include <QFile>
#include <QUrl>

TThread1::TThread1(std::shared_ptr<DownloadRound> round, int segmentIndex)
    : m_round(std::move(round)), m_index(segmentIndex), m_segment(m_round->segments[segmentIndex])
{
}

void TThread1::run()
{
    DownloadRound& round = *m_round;
    const QString partPath = round.partPath(m_segment.number);
    Outcome outcome = Outcome::Failed;
    {
        // Truncated on opening: a longer part left by an earlier run must not leave stale bytes.
        QFile part(partPath);
        if (part.open(QIODevice::WriteOnly | QIODevice::Truncate))
            outcome = DownloadSegment(part);
        else
            qCInfo(lcUpdate) << "cannot create the part file" << partPath << part.errorString();
        if (part.isOpen() && !part.flush()) {
            qCInfo(lcUpdate) << "cannot write the part file" << partPath << part.errorString();
            outcome = Outcome::Failed;
        }
    }
    if (outcome == Outcome::RangeIgnored) {
        // The others would only fetch whole copies too: stop them, the job goes on with one connection.
        round.rangeIgnored = true;
        round.gate.cancel();
    }
    if (outcome != Outcome::Done)
        QFile::remove(partPath);
    if (outcome == Outcome::Failed)
        round.failedSegments.fetch_add(1);
    round.written[size_t(m_index)] = m_written;
    round.host.segmentDone(round, m_segment.number);

    if (round.options.beforeFinishCount)
        round.options.beforeFinishCount(m_segment.number);
    if (round.countFinished())
        round.host.lastWorkerFinished(round);
}

TThread1::Outcome TThread1::DownloadSegment(QFile& part)
{
    DownloadRound& round = *m_round;
    qint64 furthest = 0; // the most bytes of the range the part file ever held
    int fruitless = 0;
    for (;;) {
        if (!round.gate.waitWhilePaused())
            return Outcome::CalledOff;
        switch (fetchRest(part)) {
        case SegmentReply::Result::Complete:
            return Outcome::Done;
        case SegmentReply::Result::RangeIgnored:
            return Outcome::RangeIgnored;
        case SegmentReply::Result::Fatal:
            return Outcome::Failed;
        case SegmentReply::Result::Interrupted:
            continue; // paused (the loop waits at the gate) or cancelled (the gate says so)
        case SegmentReply::Result::Short:
            break;
        }
        // Only a reply that took the part further into the range than ever before counts as
        // progress; a server that keeps cutting at the same place, or a restart from the start, does not.
        if (m_written > furthest) {
            furthest = m_written;
            fruitless = 0;
        } else if (++fruitless >= round.options.maxStalledAttempts) {
            qCInfo(lcUpdate) << "segment" << m_segment.number << "gave up after" << fruitless
                             << "attempts that brought nothing new";
            return Outcome::Failed;
        }
        if (!round.gate.sleepFor(round.options.retryDelayMs * (fruitless + 1)))
            return Outcome::CalledOff;
    }
}

SegmentReply::Result TThread1::fetchRest(QFile& part)
{
    DownloadRound& round = *m_round;
    SegmentReply reply(round, m_segment, part, m_written);
    const QUrl url = QUrl::fromEncoded(round.address);
    round.host.statusText(QStringLiteral("Connecting to %1.").arg(url.authority()));
    const HttpResponse response = HttpClient::perform(reply.request());
    round.host.statusText(QStringLiteral("Disconnected."));
    m_written = reply.written();
    return reply.outcome(response);
}
