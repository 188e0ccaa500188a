#include "updatearchive.h"

#include <cstring>

namespace {

// splitmix64: a cheap, well-mixed function of the 8-byte block number.
quint64 block(quint64 n)
{
    quint64 z = n + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// It begins like a RAR archive, which is what the product server ships.
constexpr char signature[] = "Rar!\x1a\x07\x00";
constexpr qint64 signatureLength = 7;

} // namespace

namespace UpdateArchive {

void fill(qint64 offset, char* out, qint64 length)
{
    qint64 i = 0;
    while (i < length) {
        const qint64 position = offset + i;
        if (position < signatureLength) {
            out[i++] = signature[position];
            continue;
        }
        const quint64 value = block(quint64(position) >> 3);
        const int skip = int(position & 7);
        const qint64 take = std::min<qint64>(8 - skip, length - i);
        for (qint64 j = 0; j < take; ++j)
            out[i + j] = char((value >> (8 * (skip + j))) & 0xff);
        i += take;
    }
}

QByteArray bytes(qint64 offset, qint64 length)
{
    QByteArray data(qsizetype(length), Qt::Uninitialized);
    fill(offset, data.data(), length);
    return data;
}

} // namespace UpdateArchive
