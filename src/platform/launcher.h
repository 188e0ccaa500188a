#pragma once

#include <QString>
#include <QStringList>

// Starts an outside program detached, never through a shell: each argument reaches the program as
// exactly one argument, whatever it holds.
namespace Launcher {

// False (and nothing started) when the program is empty, an argument holds a line break or NUL,
// or the start fails.
bool startDetached(const QString& program, const QStringList& arguments);

} // namespace Launcher
