#include "services/defaultbrowser.h"

#include <algorithm>

QString browserProgramFromCommand(const QString& command)
{
    const qsizetype first = command.indexOf(QLatin1Char('"'));
    if (first < 0)
        return {};
    const qsizetype second = command.indexOf(QLatin1Char('"'), first + 1);
    if (second < 0)
        return {};
    return command.mid(first + 1, second - first - 1);
}

bool runsCommandInterpreter(const QString& program)
{
    // The system drops trailing dots and blanks of a file name: "x.bat. " runs x.bat.
    const qsizetype folderEnd = std::max(program.lastIndexOf(QLatin1Char('\\')), program.lastIndexOf(QLatin1Char('/')));
    QString name = program.mid(folderEnd + 1).toLower();
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name == QLatin1String("cmd") || name == QLatin1String("cmd.exe") || name.endsWith(QLatin1String(".bat")) ||
           name.endsWith(QLatin1String(".cmd"));
}

namespace {

// Where an unquoted program ends: after the first ".exe" that a blank or the end follows, else at the
// first blank (so blanks inside "C:\Program Files\..." do not cut the program).
qsizetype unquotedProgramEnd(const QString& text)
{
    const QLatin1String exe(".exe");
    for (qsizetype at = text.indexOf(exe, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(exe, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + exe.size();
        if (end == text.size() || text.at(end).isSpace())
            return end;
    }
    for (qsizetype at = 0; at < text.size(); ++at)
        if (text.at(at).isSpace())
            return at;
    return text.size();
}

} // namespace

BrowserCommand parseBrowserCommand(const QString& command)
{
    const QString text = command.trimmed();
    BrowserCommand parsed;
    QString rest;
    if (text.startsWith(QLatin1Char('"'))) {
        const qsizetype close = text.indexOf(QLatin1Char('"'), 1);
        if (close < 0)
            return {};
        parsed.program = text.mid(1, close - 1).trimmed();
        rest = text.mid(close + 1);
    } else {
        const qsizetype end = unquotedProgramEnd(text);
        parsed.program = text.left(end);
        rest = text.mid(end);
    }
    if (parsed.program.isEmpty())
        return {};
    bool placed = false;
    for (QString argument : splitCommandArguments(rest)) {
        // %L and %l are the long-name forms of the same place.
        argument.replace(QLatin1String("%L"), QLatin1String("%1")).replace(QLatin1String("%l"), QLatin1String("%1"));
        placed = placed || argument.contains(QLatin1String("%1"));
        parsed.arguments.append(argument);
    }
    if (!placed)
        parsed.arguments.append(QStringLiteral("%1"));
    return parsed;
}
