#pragma once

#include <QString>
#include <QStringList>

// Every start of another program goes through here (the browser, xdg-open, Thunder). The program
// is started detached, never through a shell, so each argument reaches it as exactly one argument.
// What is handed over often comes from the network (a result page, the settings document), so an
// argument that could be read as something else is refused: nothing is started, nothing is shown,
// and the refusal is logged under quvo.launch.
//
// The program itself is not checked beyond being named: it comes from the user's own registry (the
// browser command, Thunder's install path) and is a local path by nature.
namespace Launcher {

// What a bare address (one without any scheme, such as "www.qorvex.com") is handed over as.
enum class BareAddress {
    AsGiven,     // a browser reads it as a web address itself
    AsWebAddress // "http://" is put before it (xdg-open would look for a file of that name)
};

// Starts the program with the given arguments; false, and nothing started, when the program is
// empty, the start fails, or an argument could be taken for an option or for more than one
// argument: it starts with "-" (after any white space) or holds a control character.
bool startDetached(const QString& program, const QStringList& arguments);

// Starts the program with one address as its only argument; false, and nothing started, when the
// program is empty, the start fails, the address is refused as an argument (above), or it names a
// local file: a "file:" scheme, or text that starts (after any white space) with "/", "\", "~",
// "." or a drive letter such as "C:".
bool openAddress(const QString& program, const QString& address, BareAddress bare = BareAddress::AsGiven);

} // namespace Launcher
