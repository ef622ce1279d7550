// Batched `e += t` from Python. Adding single terms one at a time to a large exclusive-or costs a
// shift of the whole argument list per term; a Python loop that builds a sum term by term would be
// quadratic. Instead the terms wait beside the expression, as a set of toggles, and are merged
// into its argument list in one linear pass before anything reads the expression: the argument
// caster settles them whenever the object is handed to any function, so every observer (args(),
// repr, comparisons, every operation) sees the argument list the one-at-a-time operator would
// have built, element for element.
//
// Only expressions whose result is fully determined by the toggles are batched: an owning `Expr`
// object (not a reference, not an ExprSym) holding an exclusive-or node whose arguments are
// strictly ascending, receiving a symbol, product, ESF, disjunction or immediate. A step whose
// result would collapse to a single argument is not batched: the pending terms are settled and
// the operator runs as usual.
// Cost per batched term: one search in the argument list and one hash lookup; settling sorts the
// pending terms and merges them in O(n + k log k).
#pragma once

#include "common.hpp"

namespace ondrex_py {

// `e += b` on the Python object `self` holding `e`, batched when possible. Returns false, with
// nothing pending for `e` left, when the caller must run the operator itself.
bool add_pending(py::handle self, ond::Expr& e, ond::Expr const& b);

// Merges the terms waiting for `e`, if any. Strong guarantee: on failure `e` and its pending
// terms are unchanged.
void settle_pending(ond::Expr const& e);

// Installs the deallocation hook that forgets the pending terms of a dying Expr object.
void watch_pending(py::handle expr_type);

} // namespace ondrex_py
