#include "platform/serverroots.h"

namespace ServerRoots {

QByteArray fromEnvironment(const char* variable, const char* fallback)
{
    QByteArray value = qgetenv(variable);
    if (value.isEmpty())
        value = fallback;
    while (value.endsWith('/'))
        value.chop(1);
    return value;
}

QByteArray productServer()
{
    return fromEnvironment("QUVO_PRODUCT_SERVER", "http://www.qorvex.com");
}

} // namespace ServerRoots
