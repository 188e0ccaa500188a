// The proxy and bypass lists of the Internet settings and of PAC answers. The input is three lines:
// the address asked for, the proxy list, the bypass list. Whatever they hold, a proxy named has a
// scheme libcurl speaks, a host and a port in 1-65535; loopback never goes through one; the
// no-proxy list for libcurl never sends the address itself direct.
#include "fuzzcheck.h"
#include "platform/systemproxy.h"

#include <QLoggingCategory>
#include <QUrl>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("quvo.*=false"));
        return true;
    }();
    (void)quiet;
    const QStringList lines = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(u'\n');
    const QUrl url(lines.value(0));
    const QString proxies = lines.value(1);
    const QString bypass = lines.value(2);

    const QByteArray proxy = SystemProxy::fromLists(url, proxies, bypass);
    if (SystemProxy::isLoopbackHost(url.host()))
        FUZZ_CHECK(proxy.isEmpty());
    if (proxy.isEmpty())
        return 0;
    const qsizetype separator = proxy.indexOf("://");
    FUZZ_CHECK(separator > 0);
    const QByteArray scheme = proxy.left(separator);
    FUZZ_CHECK(scheme == "http" || scheme == "socks4a" || scheme == "socks5h");
    const QByteArray authority = proxy.mid(separator + 3);
    const qsizetype colon = authority.lastIndexOf(':');
    FUZZ_CHECK(colon > 0);
    QByteArray host = authority.left(colon);
    if (host.startsWith('[')) {
        FUZZ_CHECK(host.endsWith(']') && host.size() > 2);
        host = host.mid(1, host.size() - 2);
    }
    FUZZ_CHECK(!host.isEmpty() && !host.contains('/') && !host.contains('@') && !host.contains(' ') &&
               !host.contains(';'));
    const QByteArray port = authority.mid(colon + 1);
    bool ok = false;
    const int number = port.toInt(&ok);
    FUZZ_CHECK(ok && number >= 1 && number <= 65535 && port == QByteArray::number(number));

    // libcurl's no-proxy list: loopback first, and nothing that matches the address itself.
    const QByteArray noProxy = SystemProxy::noProxyList(url, bypass);
    FUZZ_CHECK(noProxy.startsWith("localhost,127.0.0.0/8,::1"));
    const QString target = url.host();
    for (const QByteArray& entry : noProxy.split(',').mid(3)) {
        FUZZ_CHECK(!entry.isEmpty() && entry != "*");
        const QString name = QString::fromLatin1(entry.startsWith('.') ? entry.mid(1) : entry);
        FUZZ_CHECK(target.compare(name, Qt::CaseInsensitive) != 0 &&
                   !target.endsWith(QLatin1Char('.') + name, Qt::CaseInsensitive));
    }
    return 0;
}
