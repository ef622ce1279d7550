// The simplification driver: one sort of the whole tree, then a bottom-up walk that runs the
// node loop on every node. A node is re-sorted only when one of its arguments changed; each
// loop iteration costs the passes' linear or n log n work on that node's list.
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"

#include "expr/assert.hpp"

#include <algorithm>

namespace ond::simps {

namespace {

bool has_or_or_esf(Expr const& e) {
    if (!e.has_args()) return false;
    if (e.is_or() || e.is_esf()) return true;
    return std::any_of(e.args().begin(), e.args().end(), has_or_or_esf);
}

} // namespace

Expr& simplify(Expr& e) {
    bool plain = asserts_enabled && !has_or_or_esf(e);
    sort(e);
    simplify_rec(e);
    OND_ASSERT(!plain || is_canonical(e), "simplify left a tree without Or and ESF not canonical");
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

namespace {

// What each pass of the node loop promises about the node itself, whatever its children: checked
// after the pass with OND_ASSERT. The children are canonical only when the walk of simplify has
// been there, so nothing below looks deeper than the node's own list.

bool sorted_list(Expr const& e) {
    return !e.has_args() || std::is_sorted(e.args().begin(), e.args().end());
}

bool holds(Expr const& e, bool (*pred)(Expr const&)) {
    return std::any_of(e.args().begin(), e.args().end(), pred);
}

// constants_prop_no_rec: no absorbing immediate left in a product or a disjunction, no ESF of
// degree 0.
bool constants_propagated(Expr const& e) {
    if (e.is_mul()) return !holds(e, [](Expr const& x) { return x.is_zero(); });
    if (e.is_or()) return !holds(e, [](Expr const& x) { return x.is_one(); });
    return !e.is_esf() || e.esf_degree() != 0;
}

// flatten_no_rec: a leaf, an ESF of nonzero degree with arguments, or a node of two or more
// arguments none of which has its kind.
bool flat(Expr const& e) {
    if (!e.has_args()) return true;
    if (e.is_esf()) return !e.args().empty() && e.esf_degree() != 0;
    if (e.args().size() < 2) return false;
    expr_type_id t = e.type();
    return std::none_of(e.args().begin(), e.args().end(),
                        [t](Expr const& x) { return x.type() == t; });
}

// remove_dead_ops_no_rec on a sorted list, when the node kept its kind (it did not collapse):
// two or more arguments without equal neighbours, no 0 in a sum and no 1 in a product.
bool dead_ops_removed(Expr const& e) {
    if (!e.is_add() && !e.is_mul() && !e.is_or()) return true;
    ExprArgs const& a = e.args();
    if (a.size() < 2 || !a.strictly_ascending()) return false;
    if (e.is_add()) return !holds(e, [](Expr const& x) { return x.is_zero(); });
    return !e.is_mul() || !holds(e, [](Expr const& x) { return x.is_one(); });
}

// The loop ends on a sorted product only when it holds no sum, or one sum as its last argument
// behind an Or or ESF factor, which is not distributed over.
bool expanded(Expr const& e) {
    if (!e.is_mul()) return true;
    ExprArgs const& a = e.args();
    auto sums = std::count_if(a.begin(), a.end(), [](Expr const& x) { return x.is_add(); });
    return sums == 0 || (sums == 1 && a.back().is_add() && (a[0].is_or() || a[0].is_esf()));
}

} // namespace

bool simplify_no_rec(Expr& e) {
    bool changed = false;
    for (;;) {
        changed |= constants_prop_no_rec(e);
        OND_ASSERT(constants_propagated(e), "constants_prop_no_rec left an absorbing constant");
        changed |= flatten_no_rec(e);
        OND_ASSERT(flat(e), "flatten_no_rec left a short node or a child of the node's kind");
        changed |= constants_prop_sorted_no_rec(e);
        bool was_sorted = asserts_enabled && sorted_list(e);
        expr_type_id kind = e.type();
        changed |= remove_dead_ops_no_rec(e);
        OND_ASSERT(!was_sorted || e.type() != kind || dead_ops_removed(e),
                   "remove_dead_ops_no_rec left a dead operand in a sorted list");
        changed |= flatten_no_rec(e);
        OND_ASSERT(flat(e), "flatten_no_rec left a short node or a child of the node's kind");
        if (!expand_no_rec(e)) {
            OND_ASSERT(!sorted_list(e) || expanded(e), "the node loop left a product to expand");
            return changed;
        }
        changed = true;
    }
}

} // namespace ond::simps
