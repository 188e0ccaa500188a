#pragma once

#include "search/resultrow.h"

#include <optional>

// One step of turning the page buffer into result rows: the first row still in the buffer and how
// many bytes to drop from the buffer's front once it is taken.
struct RowCut {
    ResultRow row;
    qsizetype consumed = 0;
};

// A field is cut short after this many bytes (at a character boundary). Real titles, sizes and
// links are far shorter; without the limit a page that lacks a start marker would give every row
// a copy of the rest of the page.
constexpr qsizetype maxRowFieldBytes = 4096;

// The end-of-row marker and the start/end markers of the four fields, in ResultRow's order.
inline constexpr char endOfRowMarker[] = "</a></td></tr>";
struct RowFieldMarkers {
    const char* start;
    const char* end;
};
inline constexpr RowFieldMarkers rowFieldMarkers[4] = {
    {"td class=\"name\">", "</td><td class=\"size"},
    {"td><td class=\"size\">", "</td><td class=\"date"},
    {"Detail</a><a href=\"", "Fannounce&\" title=\""},
    {"information/", "\" title=\""},
};

// Finds the first end-of-row marker "</a></td></tr>" (exact case). Without one there is no row.
// Otherwise the four fields are cut by their markers from the whole buffer (each search from the
// buffer's start), and `consumed` covers everything up to and including the marker plus the one
// character after it (a GBK double-byte character counts as one).
std::optional<RowCut> cutFirstRow(const QByteArray& buffer);

// The field between two markers of the buffer that starts at `front` of `page`, as TextBetween
// gives it, cut short after maxRowFieldBytes. startAt/endAt: positions in `page` of the first
// occurrence of each marker at or after `front`, -1 when there is none.
QByteArray cutRowField(const QByteArray& page, qsizetype front, qsizetype startAt, qsizetype startLength,
                       qsizetype endAt);

// Bytes from `at` to the end of its character (2 for a GBK double-byte character, 0 at the end).
qsizetype gbkCharacterLength(const QByteArray& text, qsizetype at);
