#include "update/filenamefromaddress.h"

QString FileNameFromAddress(const QString& address)
{
    QString name = address;
    // Both separators count: a name with a backslash would leave the chosen folder on Windows.
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (cut >= 0)
        name = name.mid(cut + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("qorvex.rar");
    return name;
}
