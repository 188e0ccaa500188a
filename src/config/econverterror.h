#pragma once

#include <stdexcept>

// Text that does not convert to the number or bytes it should stand for.
class EConvertError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
