#include "update/contentrange.h"

#include <limits>

namespace {

// A run of ASCII digits as a number; nothing else (no sign, no blanks), and no overflow.
bool readNumber(const QByteArray& text, qint64& number)
{
    if (text.isEmpty())
        return false;
    number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        const int digit = c - '0';
        if (number > (std::numeric_limits<qint64>::max() - digit) / 10)
            return false;
        number = number * 10 + digit;
    }
    return true;
}

} // namespace

ContentRange parseContentRange(const QByteArray& value)
{
    ContentRange range;
    const QByteArray text = value.trimmed();
    if (!text.startsWith("bytes "))
        return range;
    const QByteArray rangeText = text.mid(6).trimmed();
    const qsizetype dash = rangeText.indexOf('-');
    const qsizetype slash = rangeText.indexOf('/');
    if (dash <= 0 || slash <= dash + 1)
        return range;
    const QByteArray total = rangeText.mid(slash + 1);
    const bool numbers = readNumber(rangeText.left(dash), range.first) &&
                         readNumber(rangeText.mid(dash + 1, slash - dash - 1), range.last) &&
                         (total == "*" || readNumber(total, range.total));
    // The range lies inside the file it names, and its length can be counted.
    range.valid = numbers && range.last >= range.first && (range.total < 0 || range.last < range.total) &&
                  range.last < std::numeric_limits<qint64>::max();
    return range;
}

std::optional<PartialReply> checkPartialReply(const QByteArray& contentRange, qint64 contentLength, qint64 position,
                                              qint64 segmentLast, qint64 fileSize)
{
    const ContentRange range = parseContentRange(contentRange);
    if (!range.valid)
        return std::nullopt;
    const qint64 length = range.last - range.first + 1;
    const bool matches = range.first == position && (segmentLast < 0 || range.last == segmentLast) &&
                         (fileSize < 0 || range.total < 0 || range.total == fileSize) &&
                         (fileSize < 0 || range.last < fileSize) && (contentLength < 0 || contentLength == length);
    if (!matches)
        return std::nullopt;
    PartialReply reply;
    reply.expected = length;
    reply.moreToCome = segmentLast < 0 && range.total >= 0 && range.last + 1 < range.total;
    return reply;
}
