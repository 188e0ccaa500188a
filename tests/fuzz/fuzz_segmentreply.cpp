// One reply to a download worker's range request, as libcurl hands it over: header lines of any
// number of blocks (status lines, headers, blank lines, trailers after the body) and body data in
// between. The first byte picks the request (a range of a file of 100 bytes, or the whole file with
// or without a known size, with or without bytes an earlier attempt left in the part file); then
// each input line is a header line, or body data when it begins with '~'. Whatever arrives, the
// part file never holds bytes outside the range asked for, every byte written is counted once, and
// no header block is handed over once the body of a reply began.
#include "fuzzcheck.h"
#include "platform/replyheaderreader.h"
#include "silentsegmenthost.h"
#include "update/downloadround.h"
#include "update/segmentreply.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

namespace {

// The status code of a status line as libcurl reads it, near enough: the digits after the version.
long statusOf(const QByteArray& line)
{
    const qsizetype blank = line.indexOf(' ');
    return blank < 0 ? 0 : line.mid(blank + 1).trimmed().left(3).toLong();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("quvo.*=false"));
        return true;
    }();
    (void)quiet;
    if (size < 1)
        return 0;
    constexpr qint64 fileSize = 100;
    const bool wholeFile = data[0] & 1;
    const bool sizeKnown = !wholeFile || (data[0] & 2);
    const qint64 first = wholeFile ? 0 : (data[0] >> 2) % 50;
    const qint64 last = wholeFile ? (sizeKnown ? fileSize - 1 : -1) : fileSize - 1 - ((data[0] >> 2) % 3);
    const qint64 held = wholeFile ? (data[0] >> 5) : 0; // what an earlier attempt left
    const SegmentRange segment{1, first, last};

    SilentSegmentHost host;
    DownloadRound round("http://127.0.0.1:9/a.rar", QDir::temp().filePath(QStringLiteral("fuzz-segment.rar")),
                        sizeKnown ? fileSize : -1, {segment}, wholeFile, {}, false, host);
    QFile part(round.partPath(1));
    if (!part.open(QIODevice::WriteOnly) || part.write(QByteArray(held, 'h')) != held)
        return 0;
    round.received = held;
    SegmentReply reply(round, segment, part, held);
    ReplyHeaderReader reader(false);

    bool handed = false; // a header block was handed to the reply
    bool bodyBegan = false;
    const QByteArray input(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    for (qsizetype at = 0; at < input.size();) {
        qsizetype end = input.indexOf('\n', at);
        end = end < 0 ? input.size() : end + 1;
        const QByteArray line = input.mid(at, end - at);
        at = end;
        bool goOn = true;
        if (line.startsWith('~')) {
            reader.bodyArrived();
            bodyBegan = bodyBegan || handed; // (libcurl sends no body before a header block)
            goOn = reply.bodyArrived(line.constData() + 1, size_t(line.size() - 1));
        } else if (reader.beginsBlock(line)) {
            reader.beginBlock(statusOf(line));
        } else if (reader.takeLine(line)) {
            FUZZ_CHECK(!bodyBegan);
            handed = true;
            goOn = reply.headersArrived(reader.status(), reader.headers());
        }
        if (!goOn)
            break;
    }
    HttpResponse response;
    response.transferOk = true;
    const SegmentReply::Result result = reply.outcome(response);

    FUZZ_CHECK(part.flush());
    const qint64 kept = part.size();
    FUZZ_CHECK(kept == reply.written());
    FUZZ_CHECK(round.received.load() == kept);
    if (last >= 0)
        FUZZ_CHECK(kept <= last - first + 1);
    if (result == SegmentReply::Result::Complete && last >= 0 && !wholeFile)
        FUZZ_CHECK(kept == last - first + 1);
    part.close();
    part.remove();
    return 0;
}
