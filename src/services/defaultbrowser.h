#pragma once

#include "platform/addresspolicy.h"

#include <QString>
#include <QStringList>

// The browser program named by a registry command such as "\"C:\\B\\b.exe\" -- \"%1\"": the text
// between the command's first two double quotes; empty with fewer than two.
QString browserProgramFromCommand(const QString& command);

// A command line such as Windows keeps for opening web addresses, taken apart: the program, and its
// arguments with "%1" standing where the address goes.
struct BrowserCommand {
    QString program;
    QStringList arguments;
};

// Takes a Windows command line apart as the system does: a program in double quotes, or else an
// unquoted one that runs up to its ".exe" (so "C:\Program Files\B\b.exe -url %1" works) or, without
// one, to the first blank; the rest split into arguments by splitCommandArguments. When no argument
// holds "%1", the address is the last argument. Empty program when the text names none.
BrowserCommand parseBrowserCommand(const QString& command);

// The arguments of a command line (what follows its program) split as the system splits them. On
// Windows by CommandLineToArgvW's rules: "" is an empty argument, 2n backslashes before a double
// quote are n backslashes and the quote opens or closes, 2n+1 are n and a literal quote, and "" inside
// quotes is a literal quote. Elsewhere QProcess::splitCommand's rules (defaultbrowser_*.cpp).
QStringList splitCommandArguments(const QString& arguments);

// Whether the program is a command interpreter: cmd, or a ".bat" or ".cmd" script. It would read an
// address's "&" as the start of a command of its own, so such a browser command is not used.
bool runsCommandInterpreter(const QString& program);

// Opens an address in the user's default web browser, never through a shell. Only an address of the
// kind's schemes opens (a bare host name as "http://..."); any other opens nothing
// (Launcher::openAddress). Reports nothing.
// - Windows: the command of the browser the user chose for http (the system's association), else the
//   classic HKEY_CLASSES_ROOT\HTTP\Shell\open\command, environment strings expanded, started with its
//   own arguments and the address in place of %1; when no program comes out of either (a handler the
//   system runs itself) or the program is a command interpreter, the system's opener gets the address.
// - elsewhere: the program of the classic command (the registry stand-in) with the address as its only
//   argument, or xdg-open where the stand-in has none.
void OpenInDefaultBrowser(const QString& address, AddressPolicy::Kind kind = AddressPolicy::Kind::Web);
