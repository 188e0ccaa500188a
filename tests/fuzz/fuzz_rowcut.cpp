// The row timer over a page buffer: one row cut per tick until none is left. The buffer the timer
// really uses (PageRows) must give the same rows, and leave the same text, as cutting the first row
// and dropping what it consumed.
#include "fuzzcheck.h"
#include "search/pagerows.h"
#include "search/rowcut.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray buffer(reinterpret_cast<const char*>(data), qsizetype(size));
    PageRows pageRows(buffer);
    int rows = 0;
    for (;;) {
        const std::optional<RowCut> cut = cutFirstRow(buffer);
        const std::optional<ResultRow> taken = pageRows.takeRow();
        if (!cut || rows == PageRows::maxRows) {
            FUZZ_CHECK(!taken);
            break;
        }
        ++rows;
        // Every tick must take something, and never more than there is, or the timer would run forever.
        FUZZ_CHECK(cut->consumed > 0);
        FUZZ_CHECK(cut->consumed <= buffer.size());
        // The fields are cut out of the buffer itself.
        for (const QByteArray* field : {&cut->row.title, &cut->row.size, &cut->row.address, &cut->row.informationKey})
            FUZZ_CHECK(field->isEmpty() || buffer.contains(*field));
        buffer.remove(0, cut->consumed);

        FUZZ_CHECK(taken.has_value());
        FUZZ_CHECK(taken->title == cut->row.title && taken->size == cut->row.size);
        FUZZ_CHECK(taken->address == cut->row.address && taken->informationKey == cut->row.informationKey);
        FUZZ_CHECK(pageRows.text() == buffer);
    }
    if (rows < PageRows::maxRows)
        FUZZ_CHECK(!buffer.contains("</a></td></tr>"));
    return 0;
}
