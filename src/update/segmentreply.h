#pragma once

#include "platform/httpclient.h"
#include "update/segmentplan.h"

class DownloadRound;
class QFile;

// One reply to a worker's request for the rest of its range, followed step by step: its header
// block is accepted or refused, its body is written into the part file, and when the transfer has
// ended the reply tells how the attempt went. Body bytes are written only after the header block
// was accepted, and never past the range that block promised.
class SegmentReply final {
public:
    enum class Result { Complete, Short, Interrupted, RangeIgnored, Fatal };

    // written: bytes of the range the part file already holds; the request asks for the rest.
    SegmentReply(DownloadRound& round, const SegmentRange& segment, QFile& part, qint64 written);
    SegmentReply(const SegmentReply&) = delete;
    SegmentReply& operator=(const SegmentReply&) = delete;

    // The request for the rest of the range; its callbacks call this reply, which must outlive it.
    HttpRequest request();
    bool headersArrived(long status, const HttpHeaders& headers); // false refuses the reply
    bool bodyArrived(const char* data, size_t size);              // false ends the transfer
    Result outcome(const HttpResponse& response) const;

    qint64 written() const { return m_written; } // bytes of the range the part file holds now

private:
    enum class Refusal { None, RangeIgnored, DoesNotFit, NotAccepted, WriteFailed, Status };

    bool acceptPartial(const QByteArray& contentRange, qint64 contentLength);
    bool acceptWhole(qint64 contentLength);
    bool refuse(Refusal why);

    DownloadRound& m_round;
    const SegmentRange m_segment;
    QFile& m_part;
    const qint64 m_position; // first byte asked for
    qint64 m_written;
    bool m_accepted = false;
    qint64 m_expected = -1;    // body bytes the accepted reply must bring; -1: only the transfer can tell
    bool m_moreToCome = false; // the reply covers less than the rest of an open range
    qint64 m_received = 0;
    Refusal m_refusal = Refusal::None;
    long m_refusedStatus = 0;
};
