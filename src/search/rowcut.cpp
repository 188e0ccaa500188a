#include "search/rowcut.h"

#include "services/textbetween.h"

#include <cstring>

namespace {

constexpr qsizetype endOfRowLength = sizeof(endOfRowMarker) - 1;

} // namespace

qsizetype gbkCharacterLength(const QByteArray& text, qsizetype at)
{
    if (at >= text.size())
        return 0;
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead >= 0x81 && lead <= 0xFE && at + 1 < text.size()) {
        const auto trail = static_cast<unsigned char>(text[at + 1]);
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F)
            return 2;
    }
    return 1;
}

QByteArray cutRowField(const QByteArray& page, qsizetype front, qsizetype startAt, qsizetype startLength,
                       qsizetype endAt)
{
    // 1-based positions within the buffer, 0 when not found, as TextBetween counts them.
    const qsizetype s = startAt < 0 ? 0 : startAt - front + 1;
    const qsizetype e = endAt < 0 ? 0 : endAt - front + 1;
    const qsizetype length = e - s - startLength;
    if (length <= 0)
        return {};
    const qsizetype from = front + qMax<qsizetype>(s + startLength - 1, 0);
    if (from >= page.size())
        return {};
    const qsizetype available = qMin(length, page.size() - from);
    if (available <= maxRowFieldBytes)
        return page.mid(from, available);
    // Cut at a character boundary so the shortened field is still whole GBK text.
    qsizetype to = from;
    for (;;) {
        const qsizetype step = gbkCharacterLength(page, to);
        if (step == 0 || to + step - from > maxRowFieldBytes)
            break;
        to += step;
    }
    return page.mid(from, to - from);
}

std::optional<RowCut> cutFirstRow(const QByteArray& buffer)
{
    const qsizetype at = buffer.indexOf(endOfRowMarker);
    if (at < 0)
        return std::nullopt;
    RowCut cut;
    QByteArray* fields[4] = {&cut.row.title, &cut.row.size, &cut.row.address, &cut.row.informationKey};
    for (int i = 0; i < 4; ++i) {
        const RowFieldMarkers& markers = rowFieldMarkers[i];
        *fields[i] = cutRowField(buffer, 0, gbkIndexOfCaseless(buffer, markers.start),
                                 qsizetype(std::strlen(markers.start)), gbkIndexOfCaseless(buffer, markers.end));
    }
    const qsizetype afterMarker = at + endOfRowLength;
    cut.consumed = afterMarker + gbkCharacterLength(buffer, afterMarker);
    return cut;
}
