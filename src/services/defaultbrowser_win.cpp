#include "platform/launcher.h"
#include "platform/logging.h"
#include "platform/registry.h"
#include "platform/shellassociation.h"
#include "services/defaultbrowser.h"

#include <optional>

void OpenInDefaultBrowser(const QString& address, AddressPolicy::Kind kind)
{
    std::optional<QString> command;
    // The user's choice lives in the real registry; a test's stand-in file holds the classic key only.
    if (Registry::storePath().isEmpty())
        command = ShellAssociation::openCommand(QStringLiteral("http"));
    if (!command) {
        // The classic key: on current Windows it names Internet Explorer whatever the user chose, so it
        // only serves when the system's association says nothing.
        bool found = false;
        const QString classic =
            Registry::readString(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(), &found);
        if (found)
            command = ShellAssociation::expandEnvironment(classic);
    }
    const BrowserCommand browser = parseBrowserCommand(command.value_or(QString()));
    if (browser.program.isEmpty()) {
        qCInfo(lcLaunch) << "no browser program in" << command.value_or(QStringLiteral("(no command)"))
                         << "- the system's opener gets the address";
        Launcher::openWithSystem(address, kind);
        return;
    }
    Launcher::openAddress(browser.program, browser.arguments, address, kind);
}
