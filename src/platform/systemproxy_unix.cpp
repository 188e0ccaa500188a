#include "platform/systemproxy.h"

// Elsewhere the environment names the proxy (http_proxy, https_proxy, no_proxy), which libcurl reads itself.
SystemProxy::Choice SystemProxy::forUrl(const QByteArray&, const LookupLimits&)
{
    return {};
}
