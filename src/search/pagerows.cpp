#include "search/pagerows.h"

#include "search/rowcut.h"
#include "services/textbetween.h"

#include <cstring>

PageRows::PageRows(QByteArray page) : m_page(std::move(page))
{
}

qsizetype PageRows::firstFromFront(int marker)
{
    qsizetype& found = m_found[size_t(marker)];
    // Still valid: the front only moves forward, and it always stops at a character boundary, so a
    // search from a later front would step over the same characters and find the same occurrence.
    if (found == notSearched || (found >= 0 && found < m_front)) {
        const RowFieldMarkers& markers = rowFieldMarkers[marker / 2];
        found = gbkIndexOfCaseless(m_page, marker % 2 == 0 ? markers.start : markers.end, m_front);
    }
    return found;
}

std::optional<ResultRow> PageRows::takeRow()
{
    if (m_rowsTaken >= maxRows) {
        m_page.clear();
        m_front = 0;
        return std::nullopt;
    }
    const qsizetype at = m_page.indexOf(endOfRowMarker, m_front);
    if (at < 0)
        return std::nullopt;
    ResultRow row;
    QByteArray* fields[4] = {&row.title, &row.size, &row.address, &row.informationKey};
    for (int i = 0; i < 4; ++i) {
        const qsizetype startAt = firstFromFront(2 * i);
        const qsizetype endAt = firstFromFront(2 * i + 1);
        *fields[i] = cutRowField(m_page, m_front, startAt, qsizetype(std::strlen(rowFieldMarkers[i].start)), endAt);
    }
    const qsizetype afterMarker = at + qsizetype(sizeof(endOfRowMarker) - 1);
    m_front = afterMarker + gbkCharacterLength(m_page, afterMarker);
    ++m_rowsTaken;
    return row;
}
