#pragma once

#include <QString>

#include <optional>

// What Windows itself says about opening addresses (shellassociation_win.cpp; Windows only).
namespace ShellAssociation {

// The command line of the program the system opens addresses of the scheme ("http") with: the
// program the user chose (the UserChoice ProgId), else the scheme's own association. Environment
// strings are expanded. No value when the system names nothing; an empty text when the user's choice
// has no command line (a handler the system starts itself, such as a DelegateExecute one).
std::optional<QString> openCommand(const QString& scheme);

// The text with its environment strings (%SystemRoot% …) expanded; unknown ones stay as written.
QString expandEnvironment(const QString& text);

} // namespace ShellAssociation
