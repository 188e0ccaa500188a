#include "config/aes128ecb.h"

#include "config/eaeserror.h"

#include <qt_windows.h>
// after windows.h
#include <bcrypt.h>

QByteArray aes128Ecb(const QByteArray& input, const QByteArray& key, bool encrypt)
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
    QByteArray keyBytes = key; // CNG takes the key as writable
    auto* mode = const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB);
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handles.algorithm, BCRYPT_AES_ALGORITHM, nullptr, 0)) ||
        !BCRYPT_SUCCESS(BCryptSetProperty(handles.algorithm, BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(mode),
                                          ULONG((wcslen(mode) + 1) * sizeof(wchar_t)), 0)) ||
        !BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(handles.algorithm, &handles.key, nullptr, 0,
                                                   reinterpret_cast<PUCHAR>(keyBytes.data()), ULONG(keyBytes.size()),
                                                   0)))
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
