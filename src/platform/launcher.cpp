#include "platform/launcher.h"

#include "platform/logging.h"
#include "platform/systemopener.h"

#include <QProcess>

namespace Launcher {

namespace {

template <typename Start> bool start(const QString& program, const QStringList& arguments, Start startProgram)
{
    if (program.isEmpty()) {
        qCInfo(lcLaunch) << "no program to start for" << arguments;
        return false;
    }
    if (!startProgram()) {
        qCInfo(lcLaunch) << "could not start" << program << arguments;
        return false;
    }
    qCDebug(lcLaunch) << "started" << program << arguments;
    return true;
}

std::optional<QString> accepted(const QString& address, AddressPolicy::Kind kind, const QString& opener)
{
    std::optional<QString> checked = AddressPolicy::acceptedAddress(address, kind);
    if (!checked)
        qCInfo(lcLaunch) << "refused to open" << address << "with" << opener << "-"
                         << AddressPolicy::refusal(address, kind);
    return checked;
}

} // namespace

bool openAddress(const QString& program, const QString& address, AddressPolicy::Kind kind)
{
    return openAddress(program, {QStringLiteral("%1")}, address, kind);
}

bool openAddress(const QString& program, const QStringList& arguments, const QString& address, AddressPolicy::Kind kind)
{
    const std::optional<QString> checked = accepted(address, kind, program);
    if (!checked)
        return false;
    QStringList filled;
    for (QString argument : arguments)
        filled.append(argument.replace(QLatin1String("%1"), *checked));
    return start(program, filled, [&] { return QProcess::startDetached(program, filled); });
}

bool openWithSystem(const QString& address, AddressPolicy::Kind kind)
{
    const std::optional<QString> checked = accepted(address, kind, QStringLiteral("the system's opener"));
    if (!checked)
        return false;
    if (!SystemOpener::open(*checked)) {
        qCInfo(lcLaunch) << "the system's opener could not open" << *checked;
        return false;
    }
    qCDebug(lcLaunch) << "handed to the system's opener:" << *checked;
    return true;
}

bool startWithKey(const QString& program, const QString& informationKey)
{
    if (const char* reason = AddressPolicy::keyRefusal(informationKey)) {
        qCInfo(lcLaunch) << "refused to start" << program << "with" << informationKey << "-" << reason;
        return false;
    }
    return start(program, {informationKey}, [&] { return SystemOpener::startHidden(program, informationKey); });
}

} // namespace Launcher
