#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>

class QUrl;

// The proxy the system's own settings name for an address, for libcurl.
namespace SystemProxy {

// What libcurl is told for one request.
struct Choice {
    // "http://host:port", "socks4a://host:port" or "socks5h://host:port"; empty: direct, or on other
    // systems libcurl's own handling (the proxy variables of the environment).
    QByteArray proxy;
    // Names that go direct although a proxy is named (libcurl's no-proxy list): the redirects of a
    // request are decided anew by it, loopback always direct.
    QByteArray noProxy;
};

// How long asking a proxy script may take, and the request's cancel flag, which ends the asking.
struct LookupLimits {
    std::chrono::milliseconds limit{30000};
    const std::atomic<bool>* cancel = nullptr;
};

// On Windows: what Internet settings (a fixed proxy or a PAC script, read through WinHTTP) name for
// `url`. A script that gives no answer in time is not asked again for a while; the fixed settings
// apply meanwhile. Empty on other systems.
Choice forUrl(const QByteArray& url, const LookupLimits& limits = {});

// The proxy for `url` out of a proxy list and a bypass list as Internet settings and PAC scripts
// write them, entries apart by ';' or blanks (blanks around ':' and '=' belong to the entry):
//   proxies  "[scheme://]host[:port][/]" for every scheme, or "http=…;https=…;socks=…" (a scheme's
//            own entry first, then one for every scheme, then socks, which is SOCKS4 as Windows
//            means it); host a name, an IPv4 address or a bracketed IPv6 address; port 80 when none
//            is given (1080 for socks). Broken entries (no host, a port outside 1-65535, user
//            names, other schemes) are skipped with a log line and the next one is taken.
//   bypass   "[scheme://]host[:port]": host names, '*' matching any run of characters
//            ("*.example.com", "10.*"), a bracketed IPv6 address, and "<local>" for any name
//            without a dot; a scheme or port given must match too
// Loopback addresses always go direct. Empty: direct.
QByteArray fromLists(const QUrl& url, const QString& proxies, const QString& bypass);

// The bypass list as libcurl's no-proxy list, loopback first, for a request to `url` that goes
// through a proxy: the entries libcurl can hold ("name", "*.suffix", "*", "10.*" as 10.0.0.0/8).
// An entry that libcurl would read more widely than Windows, so that `url` itself went direct, is
// left out; so are those it cannot hold ("<local>", schemes, ports, wildcards inside a name).
QByteArray noProxyList(const QUrl& url, const QString& bypass);

// 127.x.x.x, ::1 and localhost: never through a proxy.
bool isLoopbackHost(const QString& host);

} // namespace SystemProxy
