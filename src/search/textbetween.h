#pragma once

#include <QByteArray>

// The text between the first occurrence of `start` and the first occurrence of `end` in GBK `text`.
// Both markers are searched from the beginning of the text, ASCII letters in any case, one GBK
// character at a time (a marker never matches from the second byte of a double-byte character).
// A missing start marker counts as position 0, so the result then runs from position
// length(start) (counted from 1) up to the end marker. Empty when the end marker is missing or
// does not leave room after the start marker. The result keeps the letter case of `text`.
QByteArray TextBetween(const QByteArray& text, const QByteArray& start, const QByteArray& end);
