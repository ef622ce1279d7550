// The text form of expressions: every node in its own parentheses, arguments in sorted order.
// Internal to the core; the printed forms of vectors, matrices and applications build on it.
#pragma once

#include "expr/expr.hpp"
#include "expr/symbols.hpp"

#include <iosfwd>
#include <string>

namespace ond {

// With a null table every symbol prints as its index.
void print_expr(std::ostream& out, Expr const& e, Symbols const* syms);

// print_expr with the global table, into a string.
std::string expr_text(Expr const& e);

} // namespace ond
