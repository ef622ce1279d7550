// OR rewriting: over GF(2), x1 | ... | xn is the sum of the elementary symmetric functions of
// degrees 1 to n. `or_to_esf` rewrites Or nodes into that sum; `identify_ors` finds such sums
// over symbols inside Add nodes and folds them back into Or nodes.
#pragma once

#include "expr/expr.hpp"
#include "expr/export.hpp"

#include <cstddef>

namespace ond::simps {

// The most arguments an Or may have for `or_to_esf`: the ESF degree is an 8-bit field.
inline constexpr std::size_t or_to_esf_max_args = 255;

// Rewrites every Or node of the tree, inner ones first; true when one was rewritten. An Or of
// more than or_to_esf_max_args arguments anywhere in the tree throws std::length_error before
// anything is changed.
OND_API bool or_to_esf(Expr& e);

// Folds the OR patterns over symbols found among the arguments of one sorted Add node.
OND_API bool identify_ors_no_rec(Expr& e);
// identify_ors_no_rec on the node, then on each argument it has afterwards.
OND_API bool identify_ors(Expr& e);

// The same fold with the plain exhaustive candidate search, without the pruning. It serves as
// the reference the pruned search is checked against.
bool identify_ors_no_rec_exhaustive(Expr& e);

} // namespace ond::simps
