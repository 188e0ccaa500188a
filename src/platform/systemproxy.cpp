#include "platform/systemproxy.h"

#include "platform/logging.h"

#include <QUrl>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// Blanks next to ':' and '=' belong to their entry ("p: 8080", "http = p:1"); other blanks and ';'
// part the entries.
QStringList listEntries(const QString& list)
{
    QString joined;
    const QString text = list.simplified();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool blank = c == QLatin1Char(' ');
        const bool nextToSeparator =
            (i > 0 && (text[i - 1] == QLatin1Char(':') || text[i - 1] == QLatin1Char('='))) ||
            (i + 1 < text.size() && (text[i + 1] == QLatin1Char(':') || text[i + 1] == QLatin1Char('=')));
        if (blank && nextToSeparator)
            continue;
        joined += blank ? QLatin1Char(';') : c;
    }
    return joined.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// `pattern` against all of `text`, ignoring case; '*' matches any run of characters.
bool wildcardMatches(QStringView pattern, QStringView text)
{
    qsizetype p = 0;
    qsizetype t = 0;
    qsizetype star = -1; // the pattern's last '*', and where in the text its run ends so far
    qsizetype starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            star = p++;
            starText = t;
        } else if (p < pattern.size() && pattern[p].toCaseFolded() == text[t].toCaseFolded()) {
            ++p;
            ++t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

// "[scheme://]host[:port][/]" of a list entry; the host without brackets. Nothing when the entry
// is broken: no host, a port that is no number in 1-65535, a user name, a path, a blank.
struct Authority {
    QString scheme; // lower-case, empty when none was written
    QString host;
    int port = 0; // 0 when none was written
    bool bracketed = false;
};

std::optional<Authority> parseAuthority(QString entry)
{
    Authority parsed;
    if (const qsizetype separator = entry.indexOf(QLatin1String("://")); separator >= 0) {
        parsed.scheme = entry.left(separator).toLower();
        entry = entry.mid(separator + 3);
    }
    if (entry.endsWith(QLatin1Char('/')))
        entry.chop(1);
    if (entry.isEmpty() || entry.contains(QLatin1Char('/')) || entry.contains(QLatin1Char('@')) ||
        entry.contains(QLatin1Char(' ')))
        return std::nullopt;
    std::optional<QString> portText;
    if (entry.startsWith(QLatin1Char('['))) {
        const qsizetype close = entry.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        parsed.host = entry.mid(1, close - 1);
        parsed.bracketed = true;
        const QString rest = entry.mid(close + 1);
        if (rest.startsWith(QLatin1Char(':')))
            portText = rest.mid(1);
        else if (!rest.isEmpty())
            return std::nullopt;
    } else {
        const qsizetype colon = entry.indexOf(QLatin1Char(':'));
        if (colon >= 0 && entry.indexOf(QLatin1Char(':'), colon + 1) >= 0)
            return std::nullopt;         // an IPv6 address without brackets: where its port begins is anyone's guess
        parsed.host = entry.left(colon); // all of it when there is no colon
        if (colon >= 0)
            portText = entry.mid(colon + 1);
    }
    if (parsed.host.isEmpty())
        return std::nullopt;
    if (portText) {
        const bool digits = !portText->isEmpty() && std::all_of(portText->cbegin(), portText->cend(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
        bool ok = false;
        parsed.port = digits ? portText->toInt(&ok) : 0;
        if (!ok || parsed.port < 1 || parsed.port > 65535)
            return std::nullopt;
    }
    return parsed;
}

// Hexadecimal groups apart by colons (an IPv4 address may end it): nothing a URL could misread.
bool isIpv6Address(const QString& text)
{
    return text.contains(QLatin1Char(':')) && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
               return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                      (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
                      (c >= QLatin1Char('A') && c <= QLatin1Char('F')) || c == QLatin1Char(':') ||
                      c == QLatin1Char('.');
           });
}

int defaultPort(const QUrl& url)
{
    return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
}

bool bypassEntryMatches(const QString& entry, const QUrl& url)
{
    const QString host = url.host();
    if (entry.compare(QLatin1String("<local>"), Qt::CaseInsensitive) == 0)
        return !host.contains(QLatin1Char('.')) && !host.contains(QLatin1Char(':'));
    const std::optional<Authority> pattern = parseAuthority(entry);
    if (!pattern) {
        qCInfo(lcNet).noquote() << "bypass entry" << entry.left(100) << "is not understood and left out";
        return false;
    }
    return (pattern->scheme.isEmpty() || pattern->scheme == url.scheme().toLower()) &&
           (pattern->port == 0 || pattern->port == defaultPort(url)) && wildcardMatches(pattern->host, host);
}

bool bypassed(const QUrl& url, const QString& bypass)
{
    const QStringList entries = listEntries(bypass);
    return std::any_of(entries.cbegin(), entries.cend(),
                       [&url](const QString& entry) { return bypassEntryMatches(entry, url); });
}

// The entry as libcurl names a proxy; nothing (and a log line) for a broken entry or a scheme that
// is no proxy libcurl speaks. Windows speaks SOCKS4 where a list says "socks".
std::optional<QByteArray> curlProxy(const QString& entry, bool socks)
{
    std::optional<Authority> address = parseAuthority(entry);
    QByteArray scheme = socks ? "socks4a://" : "http://";
    if (address && !address->scheme.isEmpty()) {
        if (address->scheme == QLatin1String("socks") || address->scheme == QLatin1String("socks4"))
            scheme = "socks4a://";
        else if (address->scheme == QLatin1String("socks5"))
            scheme = "socks5h://"; // the proxy resolves the site's name
        else if (address->scheme != QLatin1String("http") && address->scheme != QLatin1String("https"))
            address.reset();
    }
    QByteArray host;
    if (address && address->bracketed && isIpv6Address(address->host))
        host = '[' + address->host.toLatin1() + ']';
    else if (address && !address->bracketed)
        host = QUrl::toAce(address->host);
    if (host.isEmpty()) {
        qCInfo(lcNet).noquote() << "proxy entry" << entry.left(100) << "is not usable; the next one applies";
        return std::nullopt;
    }
    const int defaultProxyPort = scheme.startsWith("socks") ? 1080 : 80;
    const int port = address->port ? address->port : defaultProxyPort;
    return scheme + host + ':' + QByteArray::number(port);
}

// How libcurl reads an entry of its no-proxy list: the name itself and every name below it.
bool curlWouldBypass(const QByteArray& entry, const QString& host)
{
    if (entry == "*")
        return true;
    const QString name = QString::fromLatin1(entry.startsWith('.') ? entry.mid(1) : entry);
    return host.compare(name, Qt::CaseInsensitive) == 0 || host.endsWith(QLatin1Char('.') + name, Qt::CaseInsensitive);
}

// A bypass entry as libcurl's no-proxy list holds it; empty where it cannot.
QByteArray curlNoProxyEntry(const QString& entry)
{
    const std::optional<Authority> pattern = parseAuthority(entry);
    if (!pattern || !pattern->scheme.isEmpty() || pattern->port != 0)
        return {};
    const QString& host = pattern->host;
    const bool plain = std::all_of(host.cbegin(), host.cend(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || QStringView(u".-_*:").contains(c);
    });
    if (!plain)
        return {}; // libcurl reads its list as plain ASCII names and addresses apart by commas
    const qsizetype stars = host.count(QLatin1Char('*'));
    if (stars == 0)
        return host.toLatin1();
    if (host == QLatin1String("*"))
        return "*";
    if (stars == 1 && host.startsWith(QLatin1String("*.")) && host.size() > 2)
        return host.mid(1).toLatin1();
    // "10.*", "192.168.*": the addresses of that network.
    QStringList parts = host.split(QLatin1Char('.'));
    if (stars != 1 || parts.last() != QLatin1String("*") || parts.size() > 4)
        return {};
    parts.removeLast();
    QByteArray network;
    for (const QString& part : std::as_const(parts)) {
        bool ok = false;
        if (part.toUInt(&ok) > 255 || !ok)
            return {};
        network += part.toLatin1() + '.';
    }
    for (qsizetype i = parts.size(); i < 4; ++i)
        network += "0.";
    network.chop(1);
    return network + '/' + QByteArray::number(parts.size() * 8);
}

} // namespace

bool SystemProxy::isLoopbackHost(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || host == QLatin1String("::1"))
        return true;
    const QStringList parts = host.split(QLatin1Char('.'));
    return parts.size() == 4 && parts.first() == QLatin1String("127") &&
           std::all_of(parts.cbegin(), parts.cend(), [](const QString& part) {
               bool ok = false;
               return part.toUInt(&ok) <= 255 && ok;
           });
}

QByteArray SystemProxy::fromLists(const QUrl& url, const QString& proxies, const QString& bypass)
{
    if (isLoopbackHost(url.host()) || bypassed(url, bypass))
        return {};
    // Each kind of entry in the order written: the first usable one of the most specific kind wins.
    QStringList own;
    QStringList any;
    QStringList socks;
    for (const QString& entry : listEntries(proxies)) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        const qsizetype separator = entry.indexOf(QLatin1String("://"));
        if (equals < 0 || (separator >= 0 && separator < equals)) {
            any << entry;
            continue;
        }
        const QString tag = entry.left(equals).toLower();
        if (tag == url.scheme().toLower())
            own << entry.mid(equals + 1);
        else if (tag == QLatin1String("socks"))
            socks << entry.mid(equals + 1);
    }
    const std::pair<const QStringList&, bool> inOrder[] = {{own, false}, {any, false}, {socks, true}};
    for (const auto& [entries, isSocks] : inOrder) {
        for (const QString& entry : entries) {
            if (std::optional<QByteArray> proxy = curlProxy(entry, isSocks))
                return *proxy;
        }
    }
    return {};
}

QByteArray SystemProxy::noProxyList(const QUrl& url, const QString& bypass)
{
    QByteArray list = "localhost,127.0.0.0/8,::1";
    for (const QString& entry : listEntries(bypass)) {
        const QByteArray curlEntry = curlNoProxyEntry(entry);
        if (curlEntry.isEmpty() || curlWouldBypass(curlEntry, url.host()))
            continue; // this address goes through the proxy; an entry that says otherwise is too wide
        list += ',' + curlEntry;
    }
    return list;
}
