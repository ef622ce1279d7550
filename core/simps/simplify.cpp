// The simplification driver: one sort of the whole tree, then a bottom-up walk that runs the
// node loop on every node. A node is re-sorted only when one of its arguments changed; each
// loop iteration costs the passes' linear or n log n work on that node's list.
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"

namespace ond::simps {

Expr& simplify(Expr& e) {
    sort(e);
    simplify_rec(e);
    return e;
}

Vector& simplify(Vector& v) {
    for (Expr& e : v) simplify(e);
    return v;
}

Matrix& simplify(Matrix& m) {
    for (Expr& e : m) simplify(e);
    return m;
}

namespace {

// A product of two or more symbols in strictly ascending order: no pass of the node loop changes
// it (no constant, no nested product, no duplicate, no sum to distribute). Sums of monomials are
// most of what is simplified again, so their terms skip the loop.
bool is_plain_monomial(Expr const& e) {
    if (!e.is_mul()) return false;
    ExprArgs const& a = e.args();
    if (a.size() < 2 || !a[0].is_sym()) return false;
    for (std::size_t i = 1; i < a.size(); ++i)
        if (!a[i].is_sym() || a[i - 1].sym_idx() >= a[i].sym_idx()) return false;
    return true;
}

} // namespace

bool simplify_rec(Expr& e) {
    if (!e.has_args() || is_plain_monomial(e)) return false;
    bool changed = false;
    // Simplifying an argument rewrites it in place and never changes the length of the list.
    for (Expr& a : e.args()) changed |= simplify_rec(a);
    if (changed) sort_no_rec(e);
    return simplify_no_rec(e) || changed;
}

bool simplify_no_rec(Expr& e) {
    bool changed = false;
    for (;;) {
        changed |= constants_prop_no_rec(e);
        changed |= flatten_no_rec(e);
        changed |= constants_prop_sorted_no_rec(e);
        changed |= remove_dead_ops_no_rec(e);
        changed |= flatten_no_rec(e);
        if (!expand_no_rec(e)) return changed;
        changed = true;
    }
}

} // namespace ond::simps
