#pragma once

#include <QByteArray>

// The part of a GBK text between the first occurrence of `start` and the first occurrence of `end`.
// Both markers are searched from the beginning of the text, ASCII letters in any case, stepping one
// GBK character at a time (a marker never matches from the second byte of a double-byte character).
// The result keeps the text's own letter case. With `end` missing, or found only before `start`, the
// result is empty; with `start` missing the text runs from length(start) - 1 (0-based) to `end`.
QByteArray TextBetween(const QByteArray& text, const QByteArray& start, const QByteArray& end);

// 0-based position of the first occurrence of `marker` in `text` under the rules above, or -1.
// The search starts at `from`, which must be a character boundary (the stepping counts from there).
qsizetype gbkIndexOfCaseless(const QByteArray& text, const QByteArray& marker, qsizetype from = 0);
