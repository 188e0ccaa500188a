#pragma once

#include <stdexcept>

// A cipher text the AES decryption cannot take (wrong length, cipher failure).
class EAESError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
