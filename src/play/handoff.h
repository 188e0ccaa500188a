#pragma once

#include <QByteArray>
#include <QString>

// Handing a result row to outside programs: the default web browser (play address) and Thunder
// (information key). Whatever came from the web page reaches the program as exactly one argument,
// never through a shell.
namespace HandOff {

// An argument that cannot be mistaken for more than one argument or for an option: no line break,
// no NUL, no leading "-".
bool isSafeArgument(const QString& argument);

// Opens a play address (program text) in the default web browser; false, and nothing opened,
// when the address is not a safe argument.
bool openPlayAddress(const QByteArray& playAddress);

// Thunder's install path as the registry holds it; empty when Thunder is not installed.
QString thunderPath();

// Starts Thunder: the path exactly as read is the program, the information key its only argument.
// False, and nothing started, when the key is not a safe argument or the start fails.
bool startThunder(const QString& path, const QByteArray& informationKey);

} // namespace HandOff
