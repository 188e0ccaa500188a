#include "search/rowcut.h"

#include "search/textbetween.h"

namespace {

constexpr char endOfRow[] = "</a></td></tr>";
constexpr qsizetype endOfRowLength = sizeof(endOfRow) - 1;

qsizetype characterLength(const QByteArray& text, qsizetype at)
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

} // namespace

std::optional<RowCut> cutFirstRow(const QByteArray& buffer)
{
    const qsizetype at = buffer.indexOf(endOfRow);
    if (at < 0)
        return std::nullopt;
    RowCut cut;
    cut.row.title = TextBetween(buffer, "td class=\"name\">", "</td><td class=\"size");
    cut.row.size = TextBetween(buffer, "td><td class=\"size\">", "</td><td class=\"date");
    cut.row.address = TextBetween(buffer, "Detail</a><a href=\"", "Fannounce&\" title=\"");
    cut.row.informationKey = TextBetween(buffer, "information/", "\" title=\"");
    const qsizetype afterMarker = at + endOfRowLength;
    cut.consumed = afterMarker + characterLength(buffer, afterMarker);
    return cut;
}
