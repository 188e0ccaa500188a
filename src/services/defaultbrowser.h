#pragma once

#include "platform/addresspolicy.h"

#include <QString>

// The browser program named by a registry command such as "\"C:\\B\\b.exe\" -- \"%1\"": the text
// between the command's first two double quotes; empty with fewer than two.
QString BrowserProgramFromCommand(const QString& command);

// Opens an address in the user's default web browser: the program of the registry command under
// HKEY_CLASSES_ROOT\HTTP\Shell\open\command (or "xdg-open" where the registry has none), started
// with the address as its only argument, never through a shell. Only an address of the kind's
// schemes opens (a bare host name as "http://..."); any other opens nothing (Launcher::openAddress).
// Reports nothing.
void OpenInDefaultBrowser(const QString& address, AddressPolicy::Kind kind = AddressPolicy::Kind::Web);
