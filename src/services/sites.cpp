#include "services/sites.h"

#include "platform/serverroots.h"

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
    return ServerRoots::productServer();
}

QByteArray productServerUrl(const QByteArray& path)
{
    return productServer() + path;
}

QByteArray searchSite()
{
    return ServerRoots::fromEnvironment("QUVO_SEARCH_SITE", "http://www.torrentkitty.com");
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
