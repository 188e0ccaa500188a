#pragma once

#include <QByteArray>

inline constexpr qsizetype aesBlockSize = 16;

// One pass of AES-128 in electronic-codebook mode, no padding, over `input` (whole 16-byte blocks)
// with the 16-byte `key`. Throws EAESError when the cipher cannot run. The system's CNG does the work
// on Windows, OpenSSL's libcrypto elsewhere.
QByteArray aes128Ecb(const QByteArray& input, const QByteArray& key, bool encrypt);
