#include "platform/launcher.h"

#include "platform/logging.h"

#include <QProcess>

namespace Launcher {

namespace {

bool start(const QString& program, const QString& argument)
{
    if (program.isEmpty()) {
        qCInfo(lcLaunch) << "no program to start for" << argument;
        return false;
    }
    if (!QProcess::startDetached(program, {argument})) {
        qCInfo(lcLaunch) << "could not start" << program << argument;
        return false;
    }
    qCDebug(lcLaunch) << "started" << program << argument;
    return true;
}

} // namespace

bool openAddress(const QString& program, const QString& address, AddressPolicy::Kind kind)
{
    const std::optional<QString> accepted = AddressPolicy::acceptedAddress(address, kind);
    if (!accepted) {
        qCInfo(lcLaunch) << "refused to open" << address << "with" << program << "-"
                         << AddressPolicy::refusal(address, kind);
        return false;
    }
    return start(program, *accepted);
}

bool startWithKey(const QString& program, const QString& informationKey)
{
    if (const char* reason = AddressPolicy::keyRefusal(informationKey)) {
        qCInfo(lcLaunch) << "refused to start" << program << "with" << informationKey << "-" << reason;
        return false;
    }
    return start(program, informationKey);
}

} // namespace Launcher
