#include "update/tthread1.h"

#include "platform/httpclient.h"
#include "platform/logging.h"
#include "update/contentrange.h"
#include "update/downloadround.h"

#include <QFile>
#include <QUrl>

namespace {

bool isRetryableStatus(long status)
{
    return status == 408 || status == 429 || status >= 500;
}

} // namespace

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
    qint64 best = 0;
    int fruitless = 0;
    for (;;) {
        if (!round.gate.waitWhilePaused())
            return Outcome::CalledOff;
        const Attempt attempt = fetchRest(part);
        switch (attempt) {
        case Attempt::Complete:
            return Outcome::Done;
        case Attempt::RangeIgnored:
            return Outcome::RangeIgnored;
        case Attempt::Fatal:
            return Outcome::Failed;
        case Attempt::Interrupted:
            continue; // paused (the loop waits at the gate) or cancelled (the gate says so)
        case Attempt::Short:
            break;
        }
        // Only a reply that took the part further than ever before counts as progress; a server
        // that keeps cutting at the same place, or a restart from the start, does not.
        if (m_written > best) {
            best = m_written;
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

TThread1::Attempt TThread1::fetchRest(QFile& part)
{
    DownloadRound& round = *m_round;
    const qint64 position = m_segment.first + m_written;

    qint64 expected = -1;    // body bytes this reply must bring; -1: only the transfer itself can tell
    bool moreToCome = false; // the reply covers less than the rest of an open range
    qint64 received = 0;
    bool accepted = false, rangeIgnored = false, badReply = false, overflow = false, writeFailed = false;
    long refusedStatus = 0;

    HttpRequest request;
    request.url = round.address;
    request.headers = updateRequestHeaders();
    request.headers.append("Range: " + rangeHeaderValue(position, m_segment.last));
    request.followRedirects = false;
    request.connectTimeoutMs = round.options.connectTimeoutMs;
    request.stallTimeoutSec = round.options.stallTimeoutSec;
    request.cancel = round.gate.interruptFlag();

    request.onHeaders = [&](long status, const QList<QPair<QByteArray, QByteArray>>& headers) {
        qint64 length = -1;
        QByteArray contentRange;
        for (const auto& [name, value] : headers) {
            if (name == "content-length") {
                bool ok = false;
                length = value.toLongLong(&ok);
                if (!ok || length < 0)
                    length = -1;
            } else if (name == "content-range") {
                contentRange = value;
            }
        }
        if (status == 206) {
            const std::optional<PartialReply> reply =
                checkPartialReply(contentRange, length, position, m_segment.last, round.fileSize);
            if (!reply) {
                badReply = true;
                return false;
            }
            expected = reply->expected;
            moreToCome = reply->moreToCome;
        } else if (status == 200) {
            if (!round.wholeFile) {
                rangeIgnored = true; // every connection would bring the whole file
                return false;
            }
            if (round.fileSize >= 0 && length >= 0 && length != round.fileSize) {
                badReply = true;
                return false;
            }
            if (m_written > 0) {
                // The whole file once more: what the part holds is written over from its start.
                if (!part.seek(0) || !part.resize(0)) {
                    writeFailed = true;
                    return false;
                }
                round.received.fetch_sub(m_written);
                m_written = 0;
            }
            expected = length >= 0 ? length : round.fileSize;
        } else {
            refusedStatus = status;
            return false;
        }
        accepted = true;
        if (!round.transferBegun.exchange(true))
            round.host.transferBegan(round);
        return true;
    };
    request.bodySink = [&](const char* data, size_t size) {
        const qint64 bytes = qint64(size);
        if (expected >= 0 && received + bytes > expected) {
            overflow = true;
            return false;
        }
        if (part.write(data, bytes) != bytes) {
            writeFailed = true;
            return false;
        }
        received += bytes;
        m_written += bytes;
        round.received.fetch_add(bytes, std::memory_order_relaxed);
        round.host.bytesArrived(round);
        return true;
    };

    const QUrl url = QUrl::fromEncoded(round.address);
    round.host.statusText(QStringLiteral("Connecting to %1.").arg(url.authority()));
    const HttpResponse response = HttpClient::perform(request);
    round.host.statusText(QStringLiteral("Disconnected."));

    if (writeFailed) {
        qCInfo(lcUpdate) << "segment" << m_segment.number << "cannot write its part file" << part.errorString();
        return Attempt::Fatal;
    }
    if (rangeIgnored)
        return Attempt::RangeIgnored;
    if (badReply || overflow) {
        qCInfo(lcUpdate) << "segment" << m_segment.number << "got a reply that does not fit its range";
        return Attempt::Fatal;
    }
    if (refusedStatus != 0) {
        qCInfo(lcUpdate) << "segment" << m_segment.number << "refused with HTTP status" << refusedStatus;
        return isRetryableStatus(refusedStatus) ? Attempt::Short : Attempt::Fatal;
    }
    if (accepted && expected >= 0 && received == expected)
        return moreToCome ? Attempt::Short : Attempt::Complete;
    if (accepted && expected < 0 && response.transferOk)
        return Attempt::Complete;
    if (round.gate.interruptFlag()->load())
        return Attempt::Interrupted;
    return Attempt::Short;
}
