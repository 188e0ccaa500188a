#include "services/textbetween.h"

#include <cstring>

namespace {

inline unsigned char foldAscii(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') ? byte + ('a' - 'A') : byte;
}

inline bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

inline bool isTrailByte(unsigned char byte)
{
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

} // namespace

// Same result as stepping one GBK character at a time from `from` and comparing at each step, but
// candidates are found with memchr, so a page of several megabytes is searched in about a millisecond.
// Whether a candidate starts a character is decided locally: the byte after the last byte before it
// that cannot lead a double-byte character (or `from`) starts one, and from there the lead bytes
// pair up, so the candidate starts a character when an even number of lead bytes precede it or when
// its own byte cannot end a double-byte character.
qsizetype gbkIndexOfCaseless(const QByteArray& text, const QByteArray& marker, qsizetype from)
{
    const qsizetype n = text.size();
    const qsizetype m = marker.size();
    if (m == 0 || from < 0 || m > n - from)
        return -1;
    const auto* t = reinterpret_cast<const unsigned char*>(text.constData());
    const auto* k = reinterpret_cast<const unsigned char*>(marker.constData());
    const unsigned char lower = foldAscii(k[0]);
    const unsigned char upper = (lower >= 'a' && lower <= 'z') ? lower - ('a' - 'A') : lower;
    const qsizetype lastStart = n - m; // a match must fit into the text
    auto next = [&](unsigned char byte, qsizetype at) -> qsizetype {
        if (at > lastStart)
            return -1;
        const void* hit = std::memchr(t + at, byte, size_t(lastStart - at + 1));
        return hit ? static_cast<const unsigned char*>(hit) - t : -1;
    };
    qsizetype known = from; // starts a character; no candidate still to come lies before it
    qsizetype nextLower = next(lower, from);
    qsizetype nextUpper = upper == lower ? -1 : next(upper, from);
    while (nextLower >= 0 || nextUpper >= 0) {
        const qsizetype c = (nextUpper < 0 || (nextLower >= 0 && nextLower < nextUpper)) ? nextLower : nextUpper;
        qsizetype j = 1;
        while (j < m && foldAscii(t[c + j]) == foldAscii(k[j]))
            ++j;
        if (j == m) {
            qsizetype leads = 0;
            while (c - leads > known && isLeadByte(t[c - leads - 1]))
                ++leads;
            if (leads % 2 == 0 || !isTrailByte(t[c]))
                return c;
            known = c + 1; // c ends a double-byte character; later look-backs stop here
        }
        if (c == nextLower)
            nextLower = next(lower, c + 1);
        if (c == nextUpper)
            nextUpper = next(upper, c + 1);
    }
    return -1;
}

QByteArray TextBetween(const QByteArray& text, const QByteArray& start, const QByteArray& end)
{
    // 1-based positions, 0 when not found.
    const qsizetype s = gbkIndexOfCaseless(text, start) + 1;
    const qsizetype e = gbkIndexOfCaseless(text, end) + 1;
    const qsizetype length = e - s - start.size();
    if (length <= 0)
        return {};
    const qsizetype from = qMax<qsizetype>(s + start.size() - 1, 0);
    if (from >= text.size())
        return {};
    return text.mid(from, length);
}
