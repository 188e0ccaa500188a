// The keyword's percent-encoding: only address-safe characters come out, and they decode to the input.
#include "fuzzcheck.h"
#include "search/formencode.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1; // lower-case digits are not written
}

bool allowed(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("!$'()*-.@_+%", c) != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray encoded = FormEncode(input);
    QByteArray decoded;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        FUZZ_CHECK(allowed(c));
        if (c == '%') {
            FUZZ_CHECK(i + 2 < encoded.size());
            const int high = hexValue(encoded[i + 1]);
            const int low = hexValue(encoded[i + 2]);
            FUZZ_CHECK(high >= 0 && low >= 0);
            decoded.append(char(high * 16 + low));
            i += 2;
        } else {
            decoded.append(c == '+' ? ' ' : c);
        }
    }
    FUZZ_CHECK(decoded == input);
    FUZZ_CHECK(encoded.size() <= 3 * input.size());
    return 0;
}
