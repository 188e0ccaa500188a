#include "portals/portalpages.h"

#include "config/remoteconfiguration.h"
#include "platform/codepage.h"

namespace PortalPages {

QString fengyunMini(QSize screen)
{
    return QStringLiteral("http://www.fengyunzhibo.com/mini/fengyunmini.htm?from=qorvex#width=%1&height=%2")
        .arg(screen.width() - 150)
        .arg(screen.height() - 200);
}

QString themeMusic()
{
    return QStringLiteral("http://www.duole.com/");
}

QString kugou()
{
    return QStringLiteral("http://web.kugou.com/index.html?");
}

QString mvHome()
{
    return QStringLiteral("http://www.yinyuetai.com");
}

QString mvReload()
{
    return QStringLiteral("www.yinyuetai.com");
}

Choice choose(const QByteArray& switchValue, const QByteArray& address, const QString& builtInPage)
{
    if (!RemoteConfiguration::isSet(switchValue))
        return {builtInPage, true};
    if (!RemoteConfiguration::isSet(address))
        return {};
    return {CodePage::fromGbk(address), false};
}

} // namespace PortalPages
