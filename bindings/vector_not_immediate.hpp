// VectorNotImmediate: a vector read as an integer held an element that is not an immediate.
#pragma once

#include "expr/export.hpp"

#include <exception>

class OND_API VectorNotImmediate : public std::exception {
public:
    const char* what() const noexcept override { return "Expected a vector with only immediates"; }
};
