// Expansion of ESF nodes over a tree, innermost first. An ESF of degree d over n arguments
// costs binomial(n, d) products, followed by the node loop on the resulting sum.
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"

namespace ond::simps {

namespace {

bool expand_esf_rec(Expr& e) {
    if (!e.has_args()) return false;
    bool changed = false;
    for (Expr& a : e.args()) changed |= expand_esf_rec(a);
    if (!e.is_esf()) return changed;
    as<ExprESF>(e).expand();
    // Cancels the equal monomials the expansion kept and brings the sum to canonical form.
    simplify_no_rec(e);
    return true;
}

} // namespace

Expr& expand_esf(Expr& e) {
    expand_esf_rec(e);
    return e;
}

} // namespace ond::simps
