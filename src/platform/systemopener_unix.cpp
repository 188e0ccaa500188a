#include "platform/systemopener.h"

#include <QProcess>

bool SystemOpener::open(const QString& acceptedAddress)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {acceptedAddress});
}

bool SystemOpener::startHidden(const QString& program, const QString& argument)
{
    return QProcess::startDetached(program, {argument});
}
