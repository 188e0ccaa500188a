#include "search/textbetween.h"

namespace {

bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

char foldAscii(char byte)
{
    return byte >= 'A' && byte <= 'Z' ? char(byte - 'A' + 'a') : byte;
}

// 1-based position of the first match of `marker` starting on a character boundary, 0 when none.
qsizetype findMarker(const QByteArray& text, const QByteArray& marker)
{
    const qsizetype n = text.size();
    const qsizetype m = marker.size();
    if (m == 0)
        return 0;
    for (qsizetype i = 0; i + m <= n;) {
        qsizetype k = 0;
        bool trail = false; // the byte at i + k is the second byte of a double-byte character
        while (k < m) {
            const char a = text[i + k];
            const char b = marker[k];
            if (trail ? a != b : foldAscii(a) != foldAscii(b))
                break;
            trail = !trail && isLeadByte(static_cast<unsigned char>(a));
            ++k;
        }
        if (k == m)
            return i + 1;
        i += isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < n ? 2 : 1;
    }
    return 0;
}

} // namespace

QByteArray TextBetween(const QByteArray& text, const QByteArray& start, const QByteArray& end)
{
    const qsizetype s = findMarker(text, start);
    const qsizetype e = findMarker(text, end);
    const qsizetype from = s + start.size(); // 1-based
    const qsizetype length = e - s - start.size();
    if (length <= 0 || from < 1)
        return {};
    return text.mid(from - 1, length);
}
