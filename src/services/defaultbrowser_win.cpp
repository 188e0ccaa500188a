#include "platform/launcher.h"
#include "platform/logging.h"
#include "platform/registry.h"
#include "platform/shellassociation.h"
#include "services/defaultbrowser.h"

#include <optional>

#include <windows.h>

#include <shellapi.h>

QStringList splitCommandArguments(const QString& arguments)
{
    // The system reads a command line's first word by rules of its own (no escapes): a stand-in
    // program goes first, and what follows it is split as the program will see it.
    const QString commandLine = QStringLiteral("x ") + arguments;
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(reinterpret_cast<LPCWSTR>(commandLine.utf16()), &count);
    QStringList split;
    if (!words)
        return split;
    for (int at = 1; at < count; ++at)
        split.append(QString::fromWCharArray(words[at]));
    LocalFree(words);
    return split;
}

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
    // A command interpreter would take an address's "&" for a command of its own.
    if (browser.program.isEmpty() || runsCommandInterpreter(browser.program)) {
        qCInfo(lcLaunch) << (browser.program.isEmpty() ? "no browser program in" : "a command interpreter, not used:")
                         << command.value_or(QStringLiteral("(no command)"))
                         << "- the system's opener gets the address";
        Launcher::openWithSystem(address, kind);
        return;
    }
    Launcher::openAddress(browser.program, browser.arguments, address, kind);
}
