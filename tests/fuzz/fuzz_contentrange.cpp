// The check of a 206 reply of the update download against the range that was asked for.
// The first four input bytes pick the request (from a few telling values, or values read from the
// header itself so that fitting replies are reached); the rest is the Content-Range header.
#include "fuzzcheck.h"
#include "update/contentrange.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr std::array<qint64, 8> kValues = {-1, 0, 1, 99, 100, 1000, kMax - 1, kMax};

// last - first + 1 without overflowing; the largest value when it would.
qint64 spanLength(qint64 first, qint64 last)
{
    qint64 difference = 0, length = 0;
    if (__builtin_sub_overflow(last, first, &difference) || __builtin_add_overflow(difference, 1, &length))
        return kMax;
    return length;
}

qint64 pick(uint8_t byte, qint64 fromHeader)
{
    const size_t choice = byte % (kValues.size() + 1);
    return choice == kValues.size() ? fromHeader : kValues[choice];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const QByteArray header(reinterpret_cast<const char*>(data) + 4, qsizetype(size - 4));
    const ContentRange parsed = parseContentRange(header);
    const qint64 position = pick(data[0], parsed.first);
    const qint64 segmentLast = pick(data[1], parsed.last);
    const qint64 fileSize = pick(data[2], parsed.total);
    const qint64 contentLength = pick(data[3], spanLength(parsed.first, parsed.last));
    if (position < 0 || (segmentLast >= 0 && segmentLast < position))
        return 0; // never asked for

    const std::optional<PartialReply> reply = checkPartialReply(header, contentLength, position, segmentLast, fileSize);
    if (!reply)
        return 0;
    // A fitting reply is exactly the range asked for: it starts at the position, ends at the
    // segment's end when that is known, lies inside the file, and its length agrees with the body's.
    FUZZ_CHECK(parsed.valid && parsed.first == position);
    FUZZ_CHECK(reply->expected > 0);
    FUZZ_CHECK(reply->expected == spanLength(position, parsed.last));
    if (segmentLast >= 0)
        FUZZ_CHECK(parsed.last == segmentLast && !reply->moreToCome);
    if (fileSize >= 0)
        FUZZ_CHECK(parsed.last < fileSize);
    if (parsed.total >= 0)
        FUZZ_CHECK(parsed.last < parsed.total);
    if (contentLength >= 0)
        FUZZ_CHECK(reply->expected == contentLength);
    return 0;
}
