// What may be handed to a browser, an embedded view or Thunder: whatever passes is a web or play
// address of an allowed scheme (or a key that is no path), whatever the input.
#include "fuzzcheck.h"
#include "platform/addresspolicy.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    static const QStringList web{QStringLiteral("http:"), QStringLiteral("https:")};
    static const QStringList play{QStringLiteral("magnet:"), QStringLiteral("thunder:"), QStringLiteral("ed2k:")};
    for (const AddressPolicy::Kind kind : {AddressPolicy::Kind::Web, AddressPolicy::Kind::Play}) {
        const std::optional<QString> accepted = AddressPolicy::acceptedAddress(text, kind);
        FUZZ_CHECK(accepted.has_value() == (AddressPolicy::refusal(text, kind) == nullptr));
        if (!accepted)
            continue;
        const QString lower = accepted->toLower();
        bool allowed = false;
        for (const QString& scheme : web)
            allowed = allowed || lower.startsWith(scheme);
        for (const QString& scheme : play)
            allowed = allowed || (kind == AddressPolicy::Kind::Play && lower.startsWith(scheme));
        FUZZ_CHECK(allowed);
        // It leaves percent-encoded: printable ASCII, nothing that ends it inside a command line.
        for (const QChar c : *accepted)
            FUZZ_CHECK(c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'"' && c != u'\\' && c != u'<');
        FUZZ_CHECK(AddressPolicy::percentEncoded(*accepted) == *accepted);
    }
    if (!AddressPolicy::keyRefusal(text)) {
        FUZZ_CHECK(!text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('/')) &&
                   !text.contains(QLatin1Char('\\')) && !text.contains(QLatin1Char(':')));
        FUZZ_CHECK(!text.startsWith(QLatin1Char('-')) && !text.startsWith(QLatin1Char('~')) &&
                   !text.startsWith(QLatin1Char('.')));
    }
    return 0;
}
