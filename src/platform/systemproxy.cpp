#include "platform/systemproxy.h"

#include <QUrl>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

QStringList listEntries(const QString& list)
{
    return list.simplified().replace(QLatin1Char(' '), QLatin1Char(';')).split(QLatin1Char(';'), Qt::SkipEmptyParts);
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

bool bypassed(const QString& host, const QString& bypass)
{
    const QStringList entries = listEntries(bypass);
    return std::any_of(entries.cbegin(), entries.cend(), [&host](const QString& entry) {
        if (entry.compare(QLatin1String("<local>"), Qt::CaseInsensitive) == 0)
            return !host.contains(QLatin1Char('.')) && !host.contains(QLatin1Char(':'));
        return wildcardMatches(entry, host);
    });
}

// "[scheme://]host[:port]" as libcurl names a proxy; nothing for an entry without a host or with a
// port out of range, or of a scheme that is no proxy libcurl speaks.
std::optional<QByteArray> curlProxy(QString entry, bool socks)
{
    if (const qsizetype separator = entry.indexOf(QLatin1String("://")); separator >= 0) {
        const QString scheme = entry.left(separator).toLower();
        if (scheme == QLatin1String("socks") || scheme == QLatin1String("socks5"))
            socks = true;
        else if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return std::nullopt;
        entry = entry.mid(separator + 3);
    }
    int port = socks ? 1080 : 80;
    if (const qsizetype colon = entry.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        bool ok = false;
        port = entry.mid(colon + 1).toInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return std::nullopt;
        entry.truncate(colon);
    }
    if (entry.isEmpty())
        return std::nullopt;
    // The proxy resolves the site's name over socks, as WinHTTP lets it.
    return QByteArray(socks ? "socks5h://" : "http://") + QUrl::toAce(entry) + ':' + QByteArray::number(port);
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
    const QString host = url.host();
    if (isLoopbackHost(host) || bypassed(host, bypass))
        return {};
    std::optional<QString> own;
    std::optional<QString> any;
    std::optional<QString> socks;
    for (const QString& entry : listEntries(proxies)) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        const QString tag = equals < 0 ? QString() : entry.left(equals).toLower();
        const QString address = entry.mid(equals + 1);
        if (equals < 0 && !any)
            any = address;
        else if (tag == url.scheme().toLower() && !own)
            own = address;
        else if (tag == QLatin1String("socks") && !socks)
            socks = address;
    }
    const std::pair<const std::optional<QString>&, bool> inOrder[] = {{own, false}, {any, false}, {socks, true}};
    for (const auto& [entry, isSocks] : inOrder) {
        if (!entry)
            continue;
        if (std::optional<QByteArray> proxy = curlProxy(*entry, isSocks))
            return *proxy;
    }
    return {};
}
