#pragma once

#include "platform/addresspolicy.h"

#include <QString>
#include <QStringList>

// Every start of another program goes through here (the browser, the system's opener, Thunder).
// The program is started detached, never through a shell, and addresses leave percent-encoded. What is handed over
// often comes from the network, so the address must pass AddressPolicy first: a refused one starts nothing, shows
// nothing, and the refusal is logged under quvo.launch.
//
// The program itself is not checked beyond being named: it comes from the user's own registry (the
// browser command, Thunder's install path) or is the system's opener.
namespace Launcher {

// Starts the program with the address as its only argument, as AddressPolicy::acceptedAddress
// hands it over ("http://" before a bare host name). False, and nothing started, when the program
// is empty, the address is refused, or the start fails.
bool openAddress(const QString& program, const QString& address, AddressPolicy::Kind kind = AddressPolicy::Kind::Web);

// The same with the program's own arguments (a browser command's): "%1" in them stands for the
// accepted address, which is never split or joined with anything else.
bool openAddress(const QString& program, const QStringList& arguments, const QString& address,
                 AddressPolicy::Kind kind = AddressPolicy::Kind::Web);

// Hands the accepted address to the system's opener: ShellExecute "open" of the address itself on
// Windows (the system picks the program), xdg-open elsewhere. False when refused or when that fails.
bool openWithSystem(const QString& address, AddressPolicy::Kind kind = AddressPolicy::Kind::Web);

// Starts the program (Thunder) with an information key as its only argument, hidden, the command line
// built as SystemOpener::startHidden says. False, and nothing started, when the program is empty, the
// key is refused (AddressPolicy::keyRefusal), or the start fails.
bool startWithKey(const QString& program, const QString& informationKey);

} // namespace Launcher
