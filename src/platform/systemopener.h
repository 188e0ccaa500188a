#pragma once

#include <QString>

// The desktop's own opener of addresses and its way of running a command line, for Launcher only:
// it checks what is handed over first (systemopener_win.cpp, systemopener_unix.cpp).
namespace SystemOpener {

// Hands over an address that passed AddressPolicy. False when the opener could not be asked.
bool open(const QString& acceptedAddress);

// Starts a program with one argument that holds no double quote, not waiting for it. Windows: the
// command line is the program exactly as given (unquoted, as the registry holds it; the system finds
// "C:\Program Files\T\T.exe" blank by blank), one blank and the argument in double quotes, and
// the program's window starts hidden. Elsewhere: the argument is the program's only argument.
// False when the start fails.
bool startHidden(const QString& program, const QString& argument);

} // namespace SystemOpener
