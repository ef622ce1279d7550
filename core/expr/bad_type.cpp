#include "expr/bad_type.hpp"

BadType::BadType(const char* got)
    : msg_(std::string("Bad expression type: expected an argument (ExprAdd, ExprMul, ExprOr or "
                       "ExprESF), got '") +
           got + "'") {}

BadType::BadType(const char* expected, const char* got)
    : msg_(std::string("Bad expression type: expected '") + expected + "', got '" + got + "'") {}

const char* BadType::what() const noexcept { return msg_.c_str(); }
