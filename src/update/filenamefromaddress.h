#pragma once

#include <QString>

// The name the download is stored under: the address's last path segment. Never a path of its
// own: separators are cut away, and "", "." and ".." become the archive's usual name.
QString FileNameFromAddress(const QString& address);
