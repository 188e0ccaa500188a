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
// one, to the first blank; the rest split into arguments the way the system splits them. When no
// argument holds "%1", the address is the last argument. Empty program when the text names none.
BrowserCommand parseBrowserCommand(const QString& command);

// Opens an address in the user's default web browser, never through a shell. Only an address of the
// kind's schemes opens (a bare host name as "http://..."); any other opens nothing
// (Launcher::openAddress). Reports nothing.
// - Windows: the command of the browser the user chose for http (the system's association), else the
//   classic HKEY_CLASSES_ROOT\HTTP\Shell\open\command, environment strings expanded, started with its
//   own arguments and the address in place of %1; when no program comes out of either (a handler the
//   system runs itself), the system's opener gets the address.
// - elsewhere: the program of the classic command (the registry stand-in) with the address as its only
//   argument, or xdg-open where the stand-in has none.
void OpenInDefaultBrowser(const QString& address, AddressPolicy::Kind kind = AddressPolicy::Kind::Web);
