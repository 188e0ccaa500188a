#include "search/rowcompare.h"

#include <cmath>

namespace RowCompare {

namespace {

inline int upperAscii(unsigned char byte)
{
    return (byte >= 'a' && byte <= 'z') ? byte - ('a' - 'A') : byte;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

int compareText(const QByteArray& a, const QByteArray& b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int difference =
            upperAscii(static_cast<unsigned char>(a[i])) - upperAscii(static_cast<unsigned char>(b[i]));
        if (difference != 0)
            return difference;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::optional<double> sizeInBytes(const QByteArray& size)
{
    qsizetype i = 0;
    const qsizetype n = size.size();
    while (i < n && isBlank(size[i]))
        ++i;
    const qsizetype numberStart = i;
    bool digits = false;
    while (i < n && size[i] >= '0' && size[i] <= '9') {
        ++i;
        digits = true;
    }
    if (i < n && size[i] == '.') {
        ++i;
        while (i < n && size[i] >= '0' && size[i] <= '9') {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    bool ok = false;
    const double number = size.mid(numberStart, i - numberStart).toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    while (i < n && isBlank(size[i]))
        ++i;
    qsizetype unitEnd = n;
    while (unitEnd > i && isBlank(size[unitEnd - 1]))
        --unitEnd;
    const QByteArray unit = size.mid(i, unitEnd - i).toUpper();
    static const QByteArray units[] = {"B", "KB", "MB", "GB", "TB"};
    double scale = 1;
    for (const QByteArray& known : units) {
        if (unit == known)
            return number * scale;
        scale *= 1024;
    }
    return std::nullopt;
}

namespace {

int compareSizeKeys(const std::optional<double>& x, const std::optional<double>& y, const QByteArray& a,
                    const QByteArray& b)
{
    if (x && y)
        return *x < *y ? -1 : (*x > *y ? 1 : 0);
    if (x)
        return -1;
    if (y)
        return 1;
    return compareText(a, b);
}

} // namespace

int compareSizes(const QByteArray& a, const QByteArray& b)
{
    return compareSizeKeys(sizeInBytes(a), sizeInBytes(b), a, b);
}

RowKey rowKey(const ResultRow& row, int column)
{
    if (column == 0)
        return {&row.title, std::nullopt};
    return {&row.size, sizeInBytes(row.size)};
}

int compareKeys(const RowKey& a, const RowKey& b, int column, int direction)
{
    if (direction == 0)
        return 0;
    const int result =
        column == 0 ? compareText(*a.text, *b.text) : compareSizeKeys(a.bytes, b.bytes, *a.text, *b.text);
    return result * (direction < 0 ? -1 : 1);
}

int compareRows(const ResultRow& a, const ResultRow& b, int column, int direction)
{
    if (direction == 0)
        return 0;
    return compareKeys(rowKey(a, column), rowKey(b, column), column, direction);
}

} // namespace RowCompare
