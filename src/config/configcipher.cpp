#include "config/configcipher.h"

#include "config/aes128ecb.h"
#include "config/eaeserror.h"
#include "config/econverterror.h"

#include <string>

namespace {

constexpr qsizetype kHeaderSize = 4;

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray HexToBytes(const QByteArray& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() / 2 + 1);
    for (qsizetype i = 0; i < text.size(); i += 2) {
        int value = 0;
        for (qsizetype k = i; k < qMin(i + 2, text.size()); ++k) {
            const int digit = hexDigitValue(text[k]);
            if (digit < 0)
                throw EConvertError("Not a hexadecimal digit at position " + std::to_string(k + 1));
            value = value * 16 + digit;
        }
        bytes.append(char(value));
    }
    return bytes;
}

QByteArray bytesToHex(const QByteArray& bytes)
{
    return bytes.toHex().toUpper();
}

QByteArray configCipherKey(const QByteArray& keyText)
{
    QByteArray key = keyText.left(aesBlockSize);
    key.append(aesBlockSize - key.size(), '\0');
    return key;
}

QByteArray DecipherConfigText(const QByteArray& hexText, const QByteArray& keyText)
{
    const QByteArray bytes = HexToBytes(hexText);
    if (bytes.size() < kHeaderSize)
        throw EAESError("Document shorter than its header");
    const QByteArray cipherText = bytes.mid(kHeaderSize);
    if (cipherText.isEmpty() || cipherText.size() % aesBlockSize != 0)
        throw EAESError("Invalid buffer size for decryption");
    return aes128Ecb(cipherText, configCipherKey(keyText), false);
}

QByteArray encipherConfigText(const QByteArray& plain, const QByteArray& keyText, const QByteArray& header)
{
    QByteArray padded = plain;
    const qsizetype blocks = qMax<qsizetype>(1, (plain.size() + aesBlockSize - 1) / aesBlockSize);
    padded.append(blocks * aesBlockSize - plain.size(), '\0');
    QByteArray headerBytes = header.left(kHeaderSize);
    headerBytes.append(kHeaderSize - headerBytes.size(), '\0');
    return bytesToHex(headerBytes + aes128Ecb(padded, configCipherKey(keyText), true));
}
