// The browser program named by a registry command: the text between its first two double quotes.
#include "fuzzcheck.h"
#include "services/defaultbrowser.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Registry values are UTF-16 text; take the bytes both as UTF-8 and as UTF-16.
    const QString fromUtf8 = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    const QString fromUtf16 = QString::fromStdU16String(units);
    for (const QString& command : {fromUtf8, fromUtf16}) {
        const QString program = browserProgramFromCommand(command);
        const qsizetype quotes = command.count(QLatin1Char('"'));
        // Never a quote in the program, never text from outside the first pair of quotes.
        FUZZ_CHECK(!program.contains(QLatin1Char('"')));
        if (quotes < 2) {
            FUZZ_CHECK(program.isEmpty());
            continue;
        }
        const qsizetype open = command.indexOf(QLatin1Char('"'));
        FUZZ_CHECK(command.mid(open, program.size() + 2) == QLatin1Char('"') + program + QLatin1Char('"'));
    }
    return 0;
}
