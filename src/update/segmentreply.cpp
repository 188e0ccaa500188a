#include "update/segmentreply.h"

#include "platform/logging.h"
#include "update/contentrange.h"
#include "update/downloadround.h"

#include <QFile>

namespace {

bool isRetryableStatus(long status)
{
    return status == 408 || status == 429 || status >= 500;
}

// The value of the last header line of that name; empty when there is none.
QByteArray headerValue(const HttpHeaders& headers, const QByteArray& lowerName)
{
    QByteArray found;
    for (const auto& [name, value] : headers)
        if (name == lowerName)
            found = value;
    return found;
}

// The Content-Length of a header block, -1 when it has none or one that is not a number.
qint64 contentLengthOf(const HttpHeaders& headers)
{
    bool ok = false;
    const qint64 length = headerValue(headers, "content-length").toLongLong(&ok);
    return ok && length >= 0 ? length : -1;
}

} // namespace

SegmentReply::SegmentReply(DownloadRound& round, const SegmentRange& segment, QFile& part, qint64 written)
    : m_round(round), m_segment(segment), m_part(part), m_position(segment.first + written), m_written(written)
{
}

HttpRequest SegmentReply::request()
{
    HttpRequest request;
    request.url = m_round.address;
    request.headers = updateRequestHeaders();
    request.headers.append("Range: " + rangeHeaderValue(m_position, m_segment.last));
    request.followRedirects = false;
    request.limits = m_round.options.segmentLimits;
    request.cancel = m_round.gate.interruptFlag();
    request.onHeaders = [this](long status, const HttpHeaders& headers) { return headersArrived(status, headers); };
    request.bodySink = [this](const char* data, size_t size) { return bodyArrived(data, size); };
    return request;
}

bool SegmentReply::headersArrived(long status, const HttpHeaders& headers)
{
    // A reply has one header block: a second one would count its body again from nothing over
    // bytes already written.
    if (m_accepted)
        return refuse(Refusal::DoesNotFit);
    const qint64 contentLength = contentLengthOf(headers);
    bool fits = false;
    if (status == 206)
        fits = acceptPartial(headerValue(headers, "content-range"), contentLength);
    else if (status == 200)
        fits = acceptWhole(contentLength);
    else {
        m_refusedStatus = status;
        return refuse(Refusal::Status);
    }
    if (!fits)
        return false;
    m_accepted = true;
    if (!m_round.transferBegun.exchange(true))
        m_round.host.transferBegan(m_round);
    return true;
}

bool SegmentReply::acceptPartial(const QByteArray& contentRange, qint64 contentLength)
{
    const std::optional<PartialReply> reply =
        checkPartialReply(contentRange, contentLength, m_position, m_segment.last, m_round.fileSize);
    if (!reply)
        return refuse(Refusal::DoesNotFit);
    m_expected = reply->expected;
    m_moreToCome = reply->moreToCome;
    return true;
}

bool SegmentReply::acceptWhole(qint64 contentLength)
{
    if (!m_round.wholeFile)
        return refuse(Refusal::RangeIgnored); // every connection would bring the whole file
    if (m_round.fileSize >= 0 && contentLength >= 0 && contentLength != m_round.fileSize)
        return refuse(Refusal::DoesNotFit);
    if (m_written > 0) {
        // The whole file once more: what the part holds is written over from its start.
        if (!m_part.seek(0) || !m_part.resize(0))
            return refuse(Refusal::WriteFailed);
        m_round.received.fetch_sub(m_written);
        m_written = 0;
    }
    m_expected = contentLength >= 0 ? contentLength : m_round.fileSize;
    return true;
}

bool SegmentReply::bodyArrived(const char* data, size_t size)
{
    const qint64 bytes = qint64(size);
    if (!m_accepted)
        return refuse(Refusal::NotAccepted);
    if (m_expected >= 0 && m_received + bytes > m_expected)
        return refuse(Refusal::DoesNotFit);
    if (m_part.write(data, bytes) != bytes)
        return refuse(Refusal::WriteFailed);
    m_received += bytes;
    m_written += bytes;
    m_round.received.fetch_add(bytes, std::memory_order_relaxed);
    m_round.host.bytesArrived(m_round);
    return true;
}

bool SegmentReply::refuse(Refusal why)
{
    m_refusal = why;
    return false;
}

SegmentReply::Result SegmentReply::outcome(const HttpResponse& response) const
{
    const int number = m_segment.number;
    switch (m_refusal) {
    case Refusal::WriteFailed:
        qCInfo(lcUpdate) << "segment" << number << "cannot write its part file" << m_part.errorString();
        return Result::Fatal;
    case Refusal::RangeIgnored:
        return Result::RangeIgnored;
    case Refusal::DoesNotFit:
        qCInfo(lcUpdate) << "segment" << number << "got a reply that does not fit its range";
        return Result::Fatal;
    case Refusal::NotAccepted:
        qCInfo(lcUpdate) << "segment" << number << "got a body without a header block it could accept";
        return Result::Fatal;
    case Refusal::Status:
        qCInfo(lcUpdate) << "segment" << number << "refused with HTTP status" << m_refusedStatus;
        return isRetryableStatus(m_refusedStatus) ? Result::Short : Result::Fatal;
    case Refusal::None:
        break;
    }
    if (m_accepted && m_expected >= 0 && m_received == m_expected)
        return m_moreToCome ? Result::Short : Result::Complete;
    if (m_accepted && m_expected < 0 && response.transferOk)
        return Result::Complete;
    if (m_round.gate.interruptFlag()->load())
        return Result::Interrupted;
    return Result::Short;
}
