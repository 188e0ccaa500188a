#pragma once

#include <QByteArray>

// Percent-encoding of a byte string for one segment of the search address path:
// letters, digits and !$'()*-.@_ stay, a blank becomes "+", every other byte becomes %XX (upper-case hex).
QByteArray FormEncode(const QByteArray& bytes);
