#pragma once
// Raised when a text cannot be read as the value asked for.

#include <stdexcept>

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
