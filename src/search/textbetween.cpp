#include "search/textbetween.h"

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

qsizetype gbkIndexOfCaseless(const QByteArray& text, const QByteArray& marker)
{
    const qsizetype n = text.size();
    const qsizetype m = marker.size();
    if (m == 0 || m > n)
        return -1;
    const auto* t = reinterpret_cast<const unsigned char*>(text.constData());
    const auto* k = reinterpret_cast<const unsigned char*>(marker.constData());
    const unsigned char first = foldAscii(k[0]);
    for (qsizetype i = 0; i + m <= n;) {
        if (foldAscii(t[i]) == first) {
            qsizetype j = 1;
            while (j < m && foldAscii(t[i + j]) == foldAscii(k[j]))
                ++j;
            if (j == m)
                return i;
        }
        // A lead byte followed by a valid trail byte is one character; a stray lead byte is one on its own.
        i += (isLeadByte(t[i]) && i + 1 < n && isTrailByte(t[i + 1])) ? 2 : 1;
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
