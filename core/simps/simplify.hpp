// The simplification passes of ond::simps: single-node rewrites (the `_no_rec` functions, which
// report a change with their result), their recursive forms, and the driver `simplify` that
// brings a tree to its normal form, an exclusive-or of products as far as products allow.
#pragma once

#include "expr/expr.hpp"

namespace ond::simps {

// Full simplification of one tree: sort every argument list once, then the bottom-up walk.
OND_API Expr& simplify(Expr& e);

// Sort the node's own argument list (duplicates stay).
OND_API void sort_no_rec(Expr& e);
// Sort every argument list of the tree, bottom-up.
OND_API void sort(Expr& e);

// Merge same-operator children into the node; collapse empty and one-argument nodes.
OND_API bool flatten_no_rec(Expr& e);
OND_API bool flatten(Expr& e);

// A product holding the immediate 0 becomes 0.
OND_API bool constants_prop_no_rec(Expr& e);
OND_API bool constants_prop(Expr& e);
// Immediates inside an ESF node; needs a sorted argument list.
OND_API bool constants_prop_sorted_no_rec(Expr& e);

// Duplicates, cancelling pairs, neutral immediates and one-argument nodes; needs a sorted list.
OND_API bool remove_dead_ops_no_rec(Expr& e);
// remove_dead_ops on every argument, then constants_prop_no_rec and remove_dead_ops_no_rec.
OND_API bool remove_dead_ops(Expr& e);

// Distributes one product over the sums among its factors; needs a sorted list.
OND_API bool expand_no_rec(Expr& e);
// expand on every argument, then expand_no_rec on the node.
OND_API bool expand(Expr& e);

// Expands every ESF node of the tree, bottom-up, normalising each expansion with the node loop.
OND_API Expr& expand_esf(Expr& e);

// Whether the tree has the shape that `simplify` leaves on trees without disjunctions: every
// argument list strictly ascending (sorted, no equal neighbours); Or, Mul and Add nodes with two
// or more arguments and no child of their own kind; ESF nodes with at least one argument; no
// immediate in a product or a disjunction, no immediate 0 in a sum or an ESF; a product holds at
// most one sum, and then as its last argument behind an Or or ESF factor. (Below a disjunction a
// product formed by expansion is not revisited, so a tree with Or nodes may miss the last rule.)
// Meant for tests that check the passes' invariants.
OND_API bool is_canonical(Expr const& e);

} // namespace ond::simps
