#pragma once

#include <QString>

// The registry as the program uses it: string values under keys such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\qorvex". On Windows this is the real registry; elsewhere one INI file,
// $XDG_CONFIG_HOME/qorvex/registry.ini, where key K, value V is the settings key "K/V" (backslashes
// become slashes) and a key's unnamed value is "Default".
namespace Registry {

// Which registry a 64-bit Windows process reads: its own, or the 32-bit programs' (WOW6432Node).
// The stand-in file has one view.
enum class View { Native, Bits32 };

// Reads a string value; a missing key or value reads as the empty text (and *found is false).
QString readString(const QString& key, const QString& valueName, bool* found = nullptr, View view = View::Native);

// Creates a key (with its parents) if it is missing. False when the store cannot be written.
bool createKey(const QString& key);

// Writes a string value. False when the store cannot be written.
bool writeString(const QString& key, const QString& valueName, const QString& value);

// Where the stand-in file lives (empty on Windows, where the real registry is used).
QString storePath();

} // namespace Registry
