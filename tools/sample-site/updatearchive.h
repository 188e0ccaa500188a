#pragma once

#include <QByteArray>

// The update archive the sample site serves: a deterministic byte sequence of any length, so a
// test can check a download byte for byte without the site keeping the file anywhere.
namespace UpdateArchive {

inline constexpr qint64 defaultSize = 3 * 1024 * 1024;

// Writes bytes [offset, offset + length) of the archive into `out`.
void fill(qint64 offset, char* out, qint64 length);
QByteArray bytes(qint64 offset, qint64 length);

} // namespace UpdateArchive
