// Rewriting of Or nodes into sums of elementary symmetric functions. An Or of n arguments
// becomes n nodes over a copy of its arguments, so the cost is O(n^2) copies per Or (n log n to
// sort the copy once) plus one walk of the tree to check the argument counts first.
#include "simps/or_rewriting.hpp"

#include <stdexcept>
#include <string>

namespace ond::simps {

namespace {

// Found before rewriting, so that a refused tree is left exactly as it was.
bool has_oversized_or(Expr const& e) {
    if (!e.has_args()) return false;
    if (e.is_or() && e.args().size() > or_to_esf_max_args) return true;
    for (Expr const& a : e.args())
        if (has_oversized_or(a)) return true;
    return false;
}

bool rewrite(Expr& e) {
    if (!e.has_args()) return false;
    bool changed = false;
    // Inner Or nodes first: the outer one then builds its terms over the rewritten arguments.
    for (Expr& a : e.args()) changed |= rewrite(a);
    if (!e.is_or()) return changed;

    ExprArgs sorted(e.args());
    sorted.sort();
    std::size_t n = sorted.size();
    ExprArgs sum;
    sum.reserve(n);
    // Kept in degree order (Add, ESF_2, ..., Mul): a following simplify merges and sorts.
    for (std::size_t d = 1; d < n; ++d)
        sum.push_back(ExprESF(static_cast<std::uint8_t>(d), sorted));
    if (n != 0) sum.push_back(ExprESF(static_cast<std::uint8_t>(n), std::move(sorted)));
    e = Expr(expr_type_id::add, std::move(sum));
    return true;
}

} // namespace

bool or_to_esf(Expr& e) {
    if (has_oversized_or(e))
        throw std::length_error("or_to_esf: an Or node has more than " +
                                std::to_string(or_to_esf_max_args) +
                                " arguments, whose degrees do not fit in an ESF node");
    return rewrite(e);
}

} // namespace ond::simps
