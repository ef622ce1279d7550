// The invariant check of the simplified form: one walk over the tree, O(size).
#include "simps/simplify.hpp"

namespace ond::simps {

namespace {

bool node_canonical(Expr const& e) {
    ExprArgs const& a = e.args();
    for (std::size_t i = 1; i < a.size(); ++i)
        if (!(a[i - 1] < a[i])) return false;
    if (e.is_esf()) {
        for (Expr const& x : a)
            if (x.is_zero()) return false;
        return !a.empty();
    }
    if (a.size() < 2) return false;
    std::size_t sums = 0;
    for (Expr const& x : a) {
        if (x.type() == e.type()) return false;
        if (x.is_zero()) return false;
        if (x.is_one() && !e.is_add()) return false;
        if (x.is_add()) ++sums;
    }
    if (e.is_mul() && sums > 0) {
        if (sums > 1 || !a.back().is_add()) return false;
        if (!a[0].is_or() && !a[0].is_esf()) return false;
    }
    return true;
}

} // namespace

bool is_canonical(Expr const& e) {
    if (!e.has_args()) return true;
    for (Expr const& x : e.args())
        if (!is_canonical(x)) return false;
    return node_canonical(e);
}

} // namespace ond::simps
