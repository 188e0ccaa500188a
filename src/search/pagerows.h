#pragma once

#include "search/resultrow.h"

#include <QByteArray>

#include <array>
#include <optional>

// The page buffer: the part of the last fetched page that has not been cut into rows yet.
// takeRow() gives the same rows as cutFirstRow() followed by dropping the consumed bytes, but the
// page is never moved (only a front position advances), and the first occurrence of every field
// marker is remembered and looked for again only once the front has passed it. A call therefore
// costs about the length of one row; a marker that lies far ahead or is missing is searched for
// over the rest of the page once, not on every call. With pages of at most a few megabytes, no tick
// of the row timer holds the window up noticeably, however odd the page.
class PageRows final {
public:
    // More rows than this do not come from one result page; the rest of such a page is dropped.
    static constexpr int maxRows = 1000;

    PageRows() = default;
    explicit PageRows(QByteArray page);

    // Cuts the first row out of the buffer; nullopt when it holds no further row.
    std::optional<ResultRow> takeRow();

    QByteArray text() const { return m_page.mid(m_front); } // what is left of the page
    qsizetype size() const { return m_page.size() - m_front; }

private:
    static constexpr qsizetype notSearched = -2;
    qsizetype firstFromFront(int marker); // marker: 2 * field + (0 start, 1 end)

    QByteArray m_page;
    qsizetype m_front = 0;
    int m_rowsTaken = 0;
    // Per marker: position in m_page of its first occurrence at or after the front, -1 for none.
    std::array<qsizetype, 8> m_found = {notSearched, notSearched, notSearched, notSearched,
                                        notSearched, notSearched, notSearched, notSearched};
};
