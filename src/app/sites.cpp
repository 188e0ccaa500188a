#include "app/sites.h"

namespace {

QByteArray fromEnvironment(const char* name, const char* fallback)
{
    QByteArray value = qgetenv(name);
    if (value.isEmpty())
        value = fallback;
    while (value.endsWith('/'))
        value.chop(1);
    return value;
}

} // namespace

namespace Sites {

QString productSiteHost()
{
    return QStringLiteral("www.qorvex.com");
}

QString productSiteAddress()
{
    return QStringLiteral("http://") + productSiteHost();
}

QByteArray productServer()
{
    return fromEnvironment("QUVO_PRODUCT_SERVER", "http://www.qorvex.com");
}

QByteArray productServerUrl(const QByteArray& path)
{
    return productServer() + path;
}

QByteArray searchSite()
{
    return fromEnvironment("QUVO_SEARCH_SITE", "http://www.torrentkitty.com");
}

QString applicationTitle()
{
    return QStringLiteral("Quvo盒子-") + productSiteHost().toLower();
}

QString mainWindowCaption()
{
    return QStringLiteral("Quvo盒子2013 beta1  ") + productSiteHost().toUpper();
}

QString microblogAddress()
{
    return QStringLiteral("http://t.qq.com/qorvex");
}

QString contactAddress()
{
    return QStringLiteral("service@qorvex.com");
}

} // namespace Sites
