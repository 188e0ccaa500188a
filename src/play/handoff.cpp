#include "play/handoff.h"

#include "app/defaultbrowser.h"
#include "platform/codepage.h"
#include "platform/launcher.h"
#include "platform/registry.h"

namespace HandOff {

bool isSafeArgument(const QString& argument)
{
    if (argument.startsWith(QLatin1Char('-')))
        return false;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0))
            return false;
    }
    return true;
}

bool openPlayAddress(const QByteArray& playAddress)
{
    const QString address = CodePage::fromGbk(playAddress);
    if (!isSafeArgument(address))
        return false;
    OpenInDefaultBrowser(address);
    return true;
}

QString thunderPath()
{
    return Registry::readString(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Thunder Network\\ThunderOem\\thunder_backwnd"),
        QStringLiteral("Path"));
}

bool startThunder(const QString& path, const QByteArray& informationKey)
{
    const QString key = CodePage::fromGbk(informationKey);
    if (path.isEmpty() || !isSafeArgument(key))
        return false;
    return Launcher::startDetached(path, {key});
}

} // namespace HandOff
