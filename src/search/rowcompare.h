#pragma once

#include "search/resultrow.h"

#include <optional>

// The order of the result list.
namespace RowCompare {

// Byte by byte, ASCII a-z folded to A-Z, other bytes by unsigned value; a prefix sorts first.
int compareText(const QByteArray& a, const QByteArray& b);

// A size text such as "700 MB", "1.5 gb", "512B" in bytes; nothing when it is not a size.
std::optional<double> sizeInBytes(const QByteArray& size);

// Sizes by magnitude; sizes that are not sizes after those that are, among themselves as text.
int compareSizes(const QByteArray& a, const QByteArray& b);

// What a row is ordered by in one column: the field, and for the size column its size in bytes.
// Reading a size text costs more than comparing two; a sort reads each row's once.
struct RowKey {
    const QByteArray* text = nullptr; // the row's field; the row must outlive the key
    std::optional<double> bytes;
};
RowKey rowKey(const ResultRow& row, int column);
int compareKeys(const RowKey& a, const RowKey& b, int column, int direction);

// The list's comparison: column 0 by title as text, column 1 by size, times the direction (0, +1, -1).
int compareRows(const ResultRow& a, const ResultRow& b, int column, int direction);

} // namespace RowCompare
