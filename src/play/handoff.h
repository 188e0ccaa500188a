#pragma once

#include <QByteArray>
#include <QString>

// Handing a result row to outside programs: the default web browser (play address) and Thunder
// (information key). Whatever came from the web page reaches the program as exactly one argument,
// never through a shell; the launcher refuses an address of another scheme than a play address may
// carry, and a key that is a path.
namespace HandOff {

// Opens a play address (program text) in the default web browser.
void openPlayAddress(const QByteArray& playAddress);

// Thunder's install path as the registry holds it; empty when Thunder is not installed.
QString thunderPath();

// Starts Thunder: the path exactly as read is the program, the information key its only argument.
// False, and nothing started, when the launcher refuses the key or the start fails.
bool startThunder(const QString& path, const QByteArray& informationKey);

// Hands a magnet link to the system's handler for magnet: links (the user's default download tool).
// False when the launcher refuses it or nothing could open it.
bool openMagnetLink(const QString& link);

} // namespace HandOff
