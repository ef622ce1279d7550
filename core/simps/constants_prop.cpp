// Constant propagation: a product absorbed by an immediate 0, a disjunction absorbed by an
// immediate 1, an ESF of degree 0 (the constant 1), and the immediates of an ESF node. One scan
// of the node's arguments, O(n).
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"

#include <algorithm>
#include <iterator>

namespace ond::simps {

namespace {

bool holds_imm(Expr const& e, bool v) {
    return std::any_of(e.args().begin(), e.args().end(),
                       [v](Expr const& a) { return a.is_imm() && a.imm_value() == v; });
}

} // namespace

bool constants_prop_no_rec(Expr& e) {
    if (esf_degree_zero_to_one(e)) return true;
    if (e.is_mul() && holds_imm(e, false)) {
        e = Expr::imm(false);
        return true;
    }
    // x | 1 = 1: the disjunction operator absorbs the 1 when it builds a node, but substitution
    // can leave one inside an existing node.
    if (e.is_or() && holds_imm(e, true)) {
        e = Expr::imm(true);
        return true;
    }
    return false;
}

bool constants_prop(Expr& e) { return bottom_up(e, constants_prop_no_rec); }

bool constants_prop_sorted_no_rec(Expr& e) {
    if (!e.is_esf()) return false;
    if (esf_degree_zero_to_one(e)) return true;
    ExprArgs& a = e.args();
    if (a.empty() || !a.back().is_imm()) return false;
    // Sorted: the immediates close the list, zeros before ones.
    auto zeros_begin = a.end();
    while (zeros_begin != a.begin() && std::prev(zeros_begin)->is_imm()) --zeros_begin;
    auto zeros_end = zeros_begin;
    while (zeros_end != a.end() && zeros_end->is_zero()) ++zeros_end;
    if (zeros_begin == zeros_end) return false;
    if (a.size() == 1) {
        e = Expr::imm(false);
        return true;
    }
    // e_d(x, 0) = e_d(x)
    a.erase(zeros_begin, zeros_end);
    std::size_t n = a.size(), d = e.esf_degree();
    if (n == d) {
        e.retag(expr_type_id::mul);
        e.set_esf_degree(0);
    } else if (n < d) {
        e = Expr::imm(false);
    }
    return true;
}

} // namespace ond::simps
