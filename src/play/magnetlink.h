#pragma once

#include "platform/expected.h"
#include "search/resultrow.h"

#include <QString>

// A clean magnet link for a result row: "magnet:?xt=urn:btih:" + the information key, "&dn=" + the title
// (UTF-8, percent-encoded), then "&tr=" + each tracker the row's address names, each whole and encoded
// once. The row's own address cannot be handed on as it is: it is cut from the page up to the first
// "Fannounce&", so its last tracker ends in the broken escape "%2".
namespace MagnetLink {

// False for a key that is neither 40 hexadecimal digits nor 32 base-32 characters (a SHA-1 either way).
bool isInformationKey(const QByteArray& key);

// The link, or why there is none (a key that is not one).
Expected<QString> build(const ResultRow& row);

} // namespace MagnetLink
