// The page-count patterns over a whole page and over one pagination block.
#include "fuzzcheck.h"
#include "search/pagination.h"

#include <cstddef>
#include <cstdint>

namespace {
const QByteArray kUntouched = "\x01untouched";
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray page(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const bool wholePage : {true, false}) {
        QByteArray total = kUntouched;
        if (wholePage)
            ParsePagination(page, total);
        else
            LastLinkText(page, total);
        if (total == kUntouched)
            continue;
        // A link text that was taken is never empty, never the "?" link and always part of the page.
        FUZZ_CHECK(!total.isEmpty());
        FUZZ_CHECK(total != "?");
        FUZZ_CHECK(page.contains(total));
        FUZZ_CHECK(page.contains("</"));
    }
    return 0;
}
