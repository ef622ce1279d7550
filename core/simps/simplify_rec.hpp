// The driver's internal steps, shared with the ESF expansion: the bottom-up walk and the node
// loop. Not exported from the module.
#pragma once

#include "expr/expr.hpp"

namespace ond::simps {

// Simplifies the arguments first, re-sorts the node when one changed, then runs the node loop.
bool simplify_rec(Expr& e);
// Repeats the single-node passes on `e` until expansion no longer changes it.
bool simplify_no_rec(Expr& e);

} // namespace ond::simps
