#pragma once

#include <QByteArray>

// The settings document's cipher layer: hexadecimal text of 4 uninterpreted bytes followed by an
// AES-128 cipher text in electronic-codebook mode, no padding.

// Pairs of hexadecimal digits (either case) to bytes, first digit high; an odd last digit is one
// byte of its own. Throws EConvertError on any other character.
QByteArray HexToBytes(const QByteArray& text);

// Bytes to upper-case hexadecimal digits, two per byte.
QByteArray bytesToHex(const QByteArray& bytes);

// The 16-byte AES key of a key text: its bytes, zero-filled (or cut) to 16.
QByteArray configCipherKey(const QByteArray& keyText);

// Hexadecimal document to all plain bytes (nothing removed from the end). Throws EConvertError for
// text that is not hexadecimal and EAESError for fewer than 4 bytes or a cipher text that is empty
// or not whole 16-byte blocks ("Invalid buffer size for decryption").
QByteArray DecipherConfigText(const QByteArray& hexText, const QByteArray& keyText);

// The reverse, for sealing a document: `header` (4 bytes) followed by the cipher text of `plain`
// zero-filled to whole blocks (at least one), as hexadecimal text.
QByteArray encipherConfigText(const QByteArray& plain, const QByteArray& keyText, const QByteArray& header);
