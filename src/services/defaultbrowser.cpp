#include "services/defaultbrowser.h"

#include "platform/launcher.h"
#include "platform/logging.h"
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
    QString command =
        Registry::readString(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(), &found);
#ifdef Q_OS_WIN
    if (!found) {
        // Without that key: the browser the user chose for http in the system's settings.
        const QString progId = Registry::readString(
            QStringLiteral(
                "HKEY_CURRENT_"
                "USER\\Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice"),
            QStringLiteral("ProgId"));
        command = progId.isEmpty() ? QString()
                                   : Registry::readString(QStringLiteral("HKEY_CLASSES_ROOT\\") + progId +
                                                              QStringLiteral("\\shell\\open\\command"),
                                                          QString(), &found);
        if (!found || command.isEmpty()) {
            qCInfo(lcLaunch) << "no default browser named in the registry; not opened:" << address;
            return;
        }
    }
#endif
    Launcher::openAddress(BrowserProgramFromCommand(found ? command : kDefaultCommand), address, kind);
}
