#pragma once

#include <QByteArray>

// The proxy the system's own settings name for an address, for libcurl.
namespace SystemProxy {

// On Windows: the proxy that Internet settings (a fixed proxy or a PAC script, read through WinHTTP)
// name for `url`, as "http://host:port" or "socks5h://host:port". Empty where the system sends the
// address direct or names nothing, and on other systems: libcurl's own handling (the proxy
// variables of the environment) then applies.
QByteArray forUrl(const QByteArray& url);

} // namespace SystemProxy
