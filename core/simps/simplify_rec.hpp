// The driver's internal steps, shared with the ESF expansion: the bottom-up walk and the node
// loop. Not exported from the module.
#pragma once

#include "expr/expr.hpp"

namespace ond::simps {

// The recursive form of single-node passes: a leaf is left alone; otherwise every argument is
// rewritten first, then `passes` run on the node, in order. True when anything changed.
template <class... Pass>
bool bottom_up(Expr& e, Pass... passes) {
    if (!e.has_args()) return false;
    bool changed = false;
    for (Expr& a : e.args()) changed |= bottom_up(a, passes...);
    ((changed |= passes(e)), ...);
    return changed;
}

// The elementary symmetric function of degree 0 is the constant 1, whatever its arguments: an
// ESF node of degree 0 becomes the immediate 1. The constant rules and the collapse of empty
// nodes apply it first, so that no pass order can read such a node as 0.
inline bool esf_degree_zero_to_one(Expr& e) {
    if (!e.is_esf() || e.esf_degree() != 0) return false;
    e = Expr::imm(true);
    return true;
}

// Simplifies the arguments first, re-sorts the node when one changed, then runs the node loop.
bool simplify_rec(Expr& e);
// Repeats the single-node passes on `e` until expansion no longer changes it.
bool simplify_no_rec(Expr& e);

} // namespace ond::simps
