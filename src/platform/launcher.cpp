#include "platform/launcher.h"

#include "platform/logging.h"

#include <QProcess>

namespace Launcher {

namespace {

bool isControl(QChar c)
{
    const char16_t code = c.unicode();
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// The text as a program reads it: browsers drop leading white space (Chromium trims every
// argument before it looks for an option), so the checks do too.
QStringView trimmedStart(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    return QStringView(text).mid(start);
}

// The reason an address names a local file, or nullptr.
const char* localFileReason(const QString& address)
{
    const QStringView text = trimmedStart(address);
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return "file address";
    if (text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1Char('\\')))
        return "absolute path";
    if (text.startsWith(QLatin1Char('~')) || text.startsWith(QLatin1Char('.')))
        return "relative or home path";
    if (text.size() >= 2 && isAsciiLetter(text.at(0)) && text.at(1) == QLatin1Char(':'))
        return "drive letter";
    return nullptr;
}

const char* argumentReason(const QString& argument)
{
    if (trimmedStart(argument).startsWith(QLatin1Char('-')))
        return "option";
    for (const QChar c : argument) {
        if (isControl(c))
            return "control character";
    }
    return nullptr;
}

bool start(const QString& program, const QStringList& arguments)
{
    if (program.isEmpty()) {
        qCInfo(lcLaunch) << "no program to start for" << arguments;
        return false;
    }
    if (!QProcess::startDetached(program, arguments)) {
        qCInfo(lcLaunch) << "could not start" << program << arguments;
        return false;
    }
    qCDebug(lcLaunch) << "started" << program << arguments;
    return true;
}

// True when the text starts with a scheme ("http:", "magnet:", "thunder:" ...).
bool hasScheme(const QString& address)
{
    // scheme = letter *( letter / digit / "+" / "-" / "." ) ":"
    if (address.isEmpty() || !isAsciiLetter(address.at(0)))
        return false;
    for (qsizetype i = 1; i < address.size(); ++i) {
        const QChar c = address.at(i);
        if (c == QLatin1Char(':'))
            return true;
        if (!isAsciiLetter(c) && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != QLatin1Char('+') &&
            c != QLatin1Char('-') && c != QLatin1Char('.'))
            return false;
    }
    return false;
}

} // namespace

bool startDetached(const QString& program, const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (const char* reason = argumentReason(argument)) {
            qCInfo(lcLaunch) << "refused to start" << program << "with" << argument << "-" << reason;
            return false;
        }
    }
    return start(program, arguments);
}

bool openAddress(const QString& program, const QString& address, BareAddress bare)
{
    const char* reason = argumentReason(address);
    if (!reason)
        reason = localFileReason(address);
    if (reason) {
        qCInfo(lcLaunch) << "refused to open" << address << "with" << program << "-" << reason;
        return false;
    }
    if (bare == BareAddress::AsWebAddress && !hasScheme(address))
        return start(program, {QStringLiteral("http://") + address});
    return start(program, {address});
}

} // namespace Launcher
