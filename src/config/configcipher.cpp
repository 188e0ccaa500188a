#include "config/configcipher.h"

#include "config/eaeserror.h"
#include "config/econverterror.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
// after windows.h
#include <bcrypt.h>
#else
#include <openssl/evp.h>
#endif

#include <memory>
#include <string>

namespace {

constexpr qsizetype kHeaderSize = 4;
constexpr qsizetype kBlockSize = 16;

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

#ifdef Q_OS_WIN

// One pass of AES-128-ECB without padding over whole blocks, by the system's CNG.
QByteArray runCipher(const QByteArray& input, const QByteArray& keyText, bool encrypt)
{
    struct Handles {
        BCRYPT_ALG_HANDLE algorithm = nullptr;
        BCRYPT_KEY_HANDLE key = nullptr;
        ~Handles()
        {
            if (key)
                BCryptDestroyKey(key);
            if (algorithm)
                BCryptCloseAlgorithmProvider(algorithm, 0);
        }
    } handles;
    QByteArray key = ConfigCipherKey(keyText);
    auto* mode = const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB);
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handles.algorithm, BCRYPT_AES_ALGORITHM, nullptr, 0)) ||
        !BCRYPT_SUCCESS(BCryptSetProperty(handles.algorithm, BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(mode),
                                          ULONG((wcslen(mode) + 1) * sizeof(wchar_t)), 0)) ||
        !BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(handles.algorithm, &handles.key, nullptr, 0,
                                                   reinterpret_cast<PUCHAR>(key.data()), ULONG(key.size()), 0)))
        throw EAESError("AES initialisation failed");
    QByteArray in = input; // CNG takes the input as writable
    QByteArray output(input.size(), Qt::Uninitialized);
    ULONG written = 0;
    auto* inBytes = reinterpret_cast<PUCHAR>(in.data());
    auto* outBytes = reinterpret_cast<PUCHAR>(output.data());
    const NTSTATUS status = encrypt ? BCryptEncrypt(handles.key, inBytes, ULONG(in.size()), nullptr, nullptr, 0,
                                                    outBytes, ULONG(output.size()), &written, 0)
                                    : BCryptDecrypt(handles.key, inBytes, ULONG(in.size()), nullptr, nullptr, 0,
                                                    outBytes, ULONG(output.size()), &written, 0);
    if (!BCRYPT_SUCCESS(status))
        throw EAESError("AES operation failed");
    output.truncate(written);
    return output;
}

#else

// One pass of AES-128-ECB without padding over whole blocks.
QByteArray runCipher(const QByteArray& input, const QByteArray& keyText, bool encrypt)
{
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                              &EVP_CIPHER_CTX_free);
    const QByteArray key = ConfigCipherKey(keyText);
    const auto* keyBytes = reinterpret_cast<const unsigned char*>(key.constData());
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, keyBytes, nullptr, encrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
        throw EAESError("AES initialisation failed");
    QByteArray output(input.size() + kBlockSize, Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(output.data());
    int written = 0;
    int finalWritten = 0;
    if (EVP_CipherUpdate(ctx.get(), out, &written, reinterpret_cast<const unsigned char*>(input.constData()),
                         int(input.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), out + written, &finalWritten) != 1)
        throw EAESError("AES operation failed");
    output.truncate(written + finalWritten);
    return output;
}

#endif

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

QByteArray BytesToHex(const QByteArray& bytes)
{
    return bytes.toHex().toUpper();
}

QByteArray ConfigCipherKey(const QByteArray& keyText)
{
    QByteArray key = keyText.left(kBlockSize);
    key.append(kBlockSize - key.size(), '\0');
    return key;
}

QByteArray DecipherConfigText(const QByteArray& hexText, const QByteArray& keyText)
{
    const QByteArray bytes = HexToBytes(hexText);
    if (bytes.size() < kHeaderSize)
        throw EAESError("Document shorter than its header");
    const QByteArray cipherText = bytes.mid(kHeaderSize);
    if (cipherText.isEmpty() || cipherText.size() % kBlockSize != 0)
        throw EAESError("Invalid buffer size for decryption");
    return runCipher(cipherText, keyText, false);
}

QByteArray EncipherConfigText(const QByteArray& plain, const QByteArray& keyText, const QByteArray& header)
{
    QByteArray padded = plain;
    const qsizetype blocks = qMax<qsizetype>(1, (plain.size() + kBlockSize - 1) / kBlockSize);
    padded.append(blocks * kBlockSize - plain.size(), '\0');
    QByteArray headerBytes = header.left(kHeaderSize);
    headerBytes.append(kHeaderSize - headerBytes.size(), '\0');
    return BytesToHex(headerBytes + runCipher(padded, keyText, true));
}
