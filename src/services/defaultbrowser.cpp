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

void OpenInDefaultBrowser(const QString& address)
{
    bool found = false;
    const QString command =
        Registry::readString(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(), &found);
    if (found) {
        Launcher::openAddress(BrowserProgramFromCommand(command), address);
        return;
    }
    // A browser reads "www.qorvex.com" as a web address; xdg-open would look for a file of that
    // name and open nothing, so a bare address gets "http://" on this path.
    Launcher::openAddress(BrowserProgramFromCommand(kDefaultCommand), address, Launcher::BareAddress::AsWebAddress);
}
