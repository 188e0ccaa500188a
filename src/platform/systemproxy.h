#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

// The proxy the system's own settings name for an address, for libcurl.
namespace SystemProxy {

// On Windows: the proxy that Internet settings (a fixed proxy or a PAC script, read through WinHTTP)
// name for `url`, as "http://host:port" or "socks5h://host:port". Empty where the system sends the
// address direct or names nothing, and on other systems: libcurl's own handling (the proxy
// variables of the environment) then applies.
QByteArray forUrl(const QByteArray& url);

// The proxy for `url` out of a proxy list and a bypass list as Internet settings and PAC scripts
// write them, entries apart by ';' or blanks:
//   proxies  "host:port" for every scheme, or "http=host:port;https=host:port;socks=host:port"
//            (a scheme's own entry first, then one for every scheme, then socks); port 80 when
//            none is given (1080 for socks)
//   bypass   host names, '*' matching any run of characters ("*.example.com", "10.*"), and
//            "<local>" for any name without a dot
// Loopback addresses always go direct. Empty: direct.
QByteArray fromLists(const QUrl& url, const QString& proxies, const QString& bypass);

// 127.x.x.x, ::1 and localhost: never through a proxy.
bool isLoopbackHost(const QString& host);

} // namespace SystemProxy
