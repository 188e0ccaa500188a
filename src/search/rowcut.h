#pragma once

#include "search/resultrow.h"

#include <optional>

// One step of turning the page buffer into result rows: the first row still in the buffer and how
// many bytes to drop from the buffer's front once it is taken.
struct RowCut {
    ResultRow row;
    qsizetype consumed = 0;
};

// Finds the first end-of-row marker "</a></td></tr>" (exact case). Without one there is no row.
// Otherwise the four fields are cut by their markers from the whole buffer (each search from the
// buffer's start), and `consumed` covers everything up to and including the marker plus the one
// character after it (a GBK double-byte character counts as one).
std::optional<RowCut> cutFirstRow(const QByteArray& buffer);
