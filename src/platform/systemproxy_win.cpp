#include "platform/systemproxy.h"

#include "platform/logging.h"

#include <QNetworkProxyFactory>
#include <QUrl>

namespace {

// libcurl's scheme for a proxy of this type; empty for a type libcurl cannot use here.
QString curlScheme(QNetworkProxy::ProxyType type)
{
    switch (type) {
    case QNetworkProxy::HttpProxy:
    case QNetworkProxy::HttpCachingProxy:
        return QStringLiteral("http");
    case QNetworkProxy::Socks5Proxy:
        return QStringLiteral("socks5h"); // the proxy resolves the name, as WinHTTP lets it
    default:
        return {};
    }
}

} // namespace

// Qt Network asks WinHTTP: the user's Internet settings (fixed proxy with its bypass list, PAC script,
// automatic detection), and loopback addresses always direct. The answer lists the proxies to try in
// order; libcurl takes one, so the first it can use is handed on.
QByteArray SystemProxy::forUrl(const QByteArray& url)
{
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(QUrl::fromEncoded(url)));
    for (const QNetworkProxy& proxy : proxies) {
        if (proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::DefaultProxy)
            return {};
        const QString scheme = curlScheme(proxy.type());
        if (scheme.isEmpty() || proxy.hostName().isEmpty())
            continue;
        QUrl address;
        address.setScheme(scheme);
        address.setHost(proxy.hostName());
        address.setPort(proxy.port());
        return address.toEncoded();
    }
    if (!proxies.isEmpty())
        qCWarning(lcNet) << "no proxy of the system's settings is usable for" << url.left(200) << "; going direct";
    return {};
}
