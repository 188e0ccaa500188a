#include "platform/launcher.h"
#include "platform/registry.h"
#include "services/defaultbrowser.h"

#include <QProcess>

void OpenInDefaultBrowser(const QString& address, AddressPolicy::Kind kind)
{
    bool found = false;
    const QString command =
        Registry::readString(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(), &found);
    // A fresh desktop names no browser command: the desktop's opener then (xdg-open).
    if (!found)
        Launcher::openWithSystem(address, kind);
    else
        Launcher::openAddress(browserProgramFromCommand(command), address, kind);
}

QStringList splitCommandArguments(const QString& arguments)
{
    return QProcess::splitCommand(arguments);
}
