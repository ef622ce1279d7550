// SizeMismatch: two operands whose sizes or shapes do not fit together.
#pragma once

#include "expr/export.hpp"

#include <exception>

namespace ond::errors {

class OND_API SizeMismatch : public std::exception {
public:
    const char* what() const noexcept override;
};

} // namespace ond::errors
