// BadType: an operation needed an expression of another kind.
#pragma once

#include "expr/export.hpp"

#include <exception>
#include <string>

class OND_API BadType : public std::exception {
public:
    // "expected an argument (ExprAdd, ExprMul, ExprOr or ExprESF), got '<got>'"
    explicit BadType(const char* got);
    // "expected '<expected>', got '<got>'"
    BadType(const char* expected, const char* got);
    const char* what() const noexcept override;

private:
    std::string msg_;
};
