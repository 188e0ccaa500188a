#include "services/defaultbrowser.h"

#include "platform/launcher.h"
#include "platform/registry.h"

namespace {
// Used where the registry stand-in names no browser command (a fresh Linux desktop).
const QString kDefaultCommand = QStringLiteral("\"xdg-open\" \"%1\"");
} // namespace

QString BrowserProgramFromCommand(const QString& command)
{
    const qsizetype first = command.indexOf(QLatin1Char('"'));
    if (first < 0)
        return {};
    const qsizetype second = command.indexOf(QLatin1Char('"'), first + 1);
    if (second < 0)
        return {};
    return command.mid(first + 1, second - first - 1);
}

void OpenInDefaultBrowser(const QString& address, AddressPolicy::Kind kind)
{
    bool found = false;
    const QString command =
        Registry::readString(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(), &found);
    Launcher::openAddress(BrowserProgramFromCommand(found ? command : kDefaultCommand), address, kind);
}
