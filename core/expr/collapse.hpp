// A node of one argument stands for that argument: the collapse that the arithmetic, the passes
// and the builders apply wherever a list may have shrunk to, or been built with, one element.
// O(1): the argument is moved out, never copied.
#pragma once

#include "expr/expr.hpp"

#include <utility>

namespace ond {

// Replaces the operator node `e` by its only argument when it has exactly one; says whether it
// did. The argument is moved out first, since assigning to `e` frees the list it lives in.
inline bool collapse_single(Expr& e) {
    if (e.args().size() != 1) return false;
    Expr only(std::move(e.args()[0]));
    e = std::move(only);
    return true;
}

// The node of kind `t` over `a`, or a's only element when it has one.
inline Expr node_or_single(expr_type_id t, ExprArgs&& a) {
    if (a.size() == 1) return Expr(std::move(a[0]));
    return Expr(t, std::move(a));
}

} // namespace ond
