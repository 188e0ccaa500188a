#include "portals/portalpages.h"

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

} // namespace PortalPages
