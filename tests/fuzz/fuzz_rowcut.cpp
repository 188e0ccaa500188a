// The row timer over a page buffer: one row cut per tick until none is left.
#include "fuzzcheck.h"
#include "search/rowcut.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray buffer(reinterpret_cast<const char*>(data), qsizetype(size));
    for (;;) {
        const std::optional<RowCut> cut = cutFirstRow(buffer);
        if (!cut)
            break;
        // Every tick must take something, and never more than there is, or the timer would run forever.
        FUZZ_CHECK(cut->consumed > 0);
        FUZZ_CHECK(cut->consumed <= buffer.size());
        // The fields are cut out of the buffer itself.
        for (const QByteArray* field : {&cut->row.title, &cut->row.size, &cut->row.address, &cut->row.informationKey})
            FUZZ_CHECK(field->isEmpty() || buffer.contains(*field));
        buffer.remove(0, cut->consumed);
    }
    FUZZ_CHECK(!buffer.contains("</a></td></tr>"));
    return 0;
}
