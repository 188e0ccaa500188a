// The settings document: hexadecimal text, decipher, cut the tagged values.
// The first input byte picks what the rest is: a fetched document as it arrives (even), or the plain
// text of a document that is sealed here first, so the tag cutting sees text the fuzzer shaped (odd).
#include "config/configcipher.h"
#include "config/configdocument.h"
#include "config/configkey.h"
#include "config/eaeserror.h"
#include "config/econverterror.h"
#include "fuzzcheck.h"
#include "services/textbetween.h"

#include <cstddef>
#include <cstdint>

namespace {

void readFetchedDocument(const QByteArray& response, const QByteArray& key)
{
    try {
        const RemoteConfiguration record = parseConfigDocument(response, key);
        // Whatever was accepted deciphers the same way on its own.
        const QByteArray plain =
            lowerAsciiLetters(cutAtFirstZero(DecipherConfigText(trimControlAndSpace(cutAtFirstZero(response)), key)));
        for (const ConfigTag& tag : kConfigTags)
            FUZZ_CHECK(record.*tag.field == TextBetween(plain, tag.start, tag.end));
    } catch (const EConvertError&) {
    } catch (const EAESError&) {
    }
}

void readSealedDocument(const QByteArray& plain, const QByteArray& key)
{
    const QByteArray hex = encipherConfigText(plain, key, "\x01\x02\x03\x04");
    FUZZ_CHECK(HexToBytes(hex) == HexToBytes(hex.toLower()));
    const QByteArray opened = DecipherConfigText(hex, key);
    FUZZ_CHECK(opened.size() % 16 == 0 && opened.size() >= plain.size());
    FUZZ_CHECK(opened.startsWith(plain));
    FUZZ_CHECK(opened.mid(plain.size()).count('\0') == opened.size() - plain.size());

    const RemoteConfiguration record = parseConfigDocument(hex, key);
    const QByteArray lowered = lowerAsciiLetters(cutAtFirstZero(plain));
    for (const ConfigTag& tag : kConfigTags) {
        const QByteArray& value = record.*tag.field;
        FUZZ_CHECK(value.isEmpty() || lowered.contains(value));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const QByteArray key = joinConfigKey();
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    if (data[0] % 2 == 0)
        readFetchedDocument(rest, key);
    else
        readSealedDocument(rest, key);
    return 0;
}
