#include "platform/launcher.h"

#include <QProcess>

namespace Launcher {

bool startDetached(const QString& program, const QStringList& arguments)
{
    if (program.isEmpty())
        return false;
    for (const QString& argument : arguments) {
        if (argument.contains(QLatin1Char('\n')) || argument.contains(QLatin1Char('\r')) ||
            argument.contains(QChar(0)))
            return false;
    }
    return QProcess::startDetached(program, arguments);
}

} // namespace Launcher
