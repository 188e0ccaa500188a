#include "config/aes128ecb.h"

#include "config/eaeserror.h"

#include <openssl/evp.h>

#include <memory>

QByteArray aes128Ecb(const QByteArray& input, const QByteArray& key, bool encrypt)
{
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                              &EVP_CIPHER_CTX_free);
    const auto* keyBytes = reinterpret_cast<const unsigned char*>(key.constData());
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, keyBytes, nullptr, encrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
        throw EAESError("AES initialisation failed");
    QByteArray output(input.size() + aesBlockSize, Qt::Uninitialized);
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
