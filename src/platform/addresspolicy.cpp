#include "platform/addresspolicy.h"

#include <QStringList>
#include <QUrl>

namespace AddressPolicy {

namespace {

bool isControl(QChar c)
{
    const char16_t code = c.unicode();
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool holdsControl(QStringView text)
{
    for (const QChar c : text) {
        if (isControl(c))
            return true;
    }
    return false;
}

// The scheme the text starts with (letter *(letter / digit / "+" / "-" / ".") ":"), lower-cased,
// or empty. "localhost:8080" and "host.name:80/x" are a host with a port, not a scheme.
QString schemeOf(QStringView text)
{
    if (text.isEmpty() || !isAsciiLetter(text.front()))
        return {};
    qsizetype colon = 1;
    while (colon < text.size() && (isAsciiLetter(text[colon]) || isAsciiDigit(text[colon]) || text[colon] == u'+' ||
                                   text[colon] == u'-' || text[colon] == u'.'))
        ++colon;
    if (colon == text.size() || text[colon] != u':')
        return {};
    qsizetype port = colon + 1;
    while (port < text.size() && isAsciiDigit(text[port]))
        ++port;
    const bool hostAndPort =
        port > colon + 1 && (port == text.size() || text[port] == u'/' || text[port] == u'?' || text[port] == u'#');
    return hostAndPort ? QString() : text.first(colon).toString().toLower();
}

// True when the text starts with a host name: labels of letters, digits and "-" (not first or
// last), at least two of them or "localhost", then an optional port and the end, "/", "?" or "#".
bool startsWithHost(QStringView text)
{
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'/' && text[end] != u'?' && text[end] != u'#' && text[end] != u':')
        ++end;
    const QStringView host = text.first(end);
    const QList<QStringView> labels = host.split(u'.');
    if (labels.size() < 2 && host.compare(u"localhost", Qt::CaseInsensitive) != 0)
        return false;
    for (QStringView label : labels) {
        if (label.isEmpty() || label.front() == u'-' || label.back() == u'-')
            return false;
        for (const QChar c : label) {
            if (!c.isLetterOrNumber() && c != u'-')
                return false;
        }
    }
    if (end < text.size() && text[end] == u':') { // a port: digits up to the path
        qsizetype digit = end + 1;
        while (digit < text.size() && isAsciiDigit(text[digit]))
            ++digit;
        if (digit == end + 1 ||
            (digit < text.size() && text[digit] != u'/' && text[digit] != u'?' && text[digit] != u'#'))
            return false;
    }
    return true;
}

bool isHexDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// What an address may hold raw: letters, digits, "-._~", the delimiters of its parts and the
// sub-delimiters. The query's own "?", "&" and "=" are among them, so a player's query key keeps
// its value as the row gave it.
bool mayStandRaw(QChar c)
{
    static constexpr QLatin1StringView raw("-._~:/?#[]@!$&'()*+,;=");
    return isAsciiLetter(c) || isAsciiDigit(c) || (c.unicode() < 0x80 && raw.contains(c));
}

// A "%" that starts an escape, or one the end of the text cut short ("...%2"), stays as it is.
bool startsEscape(QStringView text, qsizetype at)
{
    qsizetype digits = 0;
    while (digits < 2 && at + 1 + digits < text.size() && isHexDigit(text[at + 1 + digits]))
        ++digits;
    return digits == 2 || at + 1 + digits == text.size();
}

bool allowedScheme(const QString& scheme, Kind kind)
{
    static const QStringList web{QStringLiteral("http"), QStringLiteral("https")};
    static const QStringList play{QStringLiteral("magnet"), QStringLiteral("thunder"), QStringLiteral("ed2k")};
    return web.contains(scheme) || (kind == Kind::Play && play.contains(scheme));
}

} // namespace

const char* refusal(const QString& address, Kind kind)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return "empty";
    if (holdsControl(text))
        return "control character";
    if (text.startsWith(u'-'))
        return "option";
    const QString scheme = schemeOf(text);
    if (!scheme.isEmpty())
        return allowedScheme(scheme, kind) ? nullptr : "scheme not allowed";
    return startsWithHost(text) ? nullptr : "neither an address nor a host name";
}

QString percentEncoded(QStringView address)
{
    QString encoded;
    encoded.reserve(address.size());
    for (qsizetype at = 0; at < address.size();) {
        const QChar c = address[at];
        if (mayStandRaw(c) || (c == u'%' && startsEscape(address, at))) {
            encoded.append(c);
            ++at;
            continue;
        }
        // One character (a surrogate pair whole) as its UTF-8 bytes.
        const qsizetype length =
            c.isHighSurrogate() && at + 1 < address.size() && address[at + 1].isLowSurrogate() ? 2 : 1;
        for (const char byte : address.sliced(at, length).toUtf8())
            encoded.append(QStringLiteral("%%1").arg(uchar(byte), 2, 16, QLatin1Char('0')).toUpper());
        at += length;
    }
    return encoded;
}

std::optional<QString> acceptedAddress(const QString& address, Kind kind)
{
    if (refusal(address, kind))
        return std::nullopt;
    const QString text = address.trimmed();
    return percentEncoded(schemeOf(text).isEmpty() ? QStringLiteral("http://") + text : text);
}

bool allowsPageNavigation(const QUrl& address)
{
    if (address == QUrl(QStringLiteral("about:blank")))
        return true;
    // An address of the engine always has a scheme: a text without one is no page of the web here.
    return address.isValid() && !address.scheme().isEmpty() &&
           !refusal(address.toString(QUrl::FullyEncoded), Kind::Web);
}

const char* keyRefusal(const QString& informationKey)
{
    if (informationKey.isEmpty())
        return "empty key";
    if (holdsControl(informationKey))
        return "control character";
    if (informationKey.contains(u'"')) // it goes to Thunder in double quotes
        return "double quote";
    for (const QChar c : {u'/', u'\\', u':'}) {
        if (informationKey.contains(c))
            return "path or address";
    }
    const QChar first = informationKey.front();
    if (first == u'~' || first == u'.' || first == u'-' || first.isSpace())
        return "path or option";
    return nullptr;
}

} // namespace AddressPolicy
