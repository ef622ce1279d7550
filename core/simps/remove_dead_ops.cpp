// Removal of dead operands on a sorted list: duplicates of Or and Mul, cancelling pairs and zeros
// of Add, neutral immediates, one-argument nodes. One linear pass compacting the list in place.
#include "expr/collapse.hpp"
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"

#include <utility>

namespace ond::simps {

namespace {

// Replaces an operator node by its single argument, or by 0 when it has none.
bool collapse_short(Expr& e) {
    ExprArgs& a = e.args();
    if (a.empty()) {
        e = Expr::imm(false);
        return true;
    }
    return collapse_single(e);
}

// Keeps the first of every run of equal neighbours.
bool remove_set_duplicates(Expr& e) {
    auto& c = e.args().container();
    if (c.empty()) {
        e = Expr::imm(false);
        return true;
    }
    std::size_t w = 1;
    for (std::size_t r = 1; r < c.size(); ++r) {
        if (c[r] == c[w - 1]) continue;
        if (w != r) c[w] = std::move(c[r]);
        ++w;
    }
    bool changed = w != c.size();
    if (changed) {
        c.erase(c.begin() + w, c.end());
        c.shrink_to_fit();
    }
    // The neutral immediate closes a sorted list.
    bool neutral = e.is_mul();
    if (c.size() >= 2 && c.back().is_imm() && c.back().imm_value() == neutral) {
        c.pop_back();
        changed = true;
    }
    return collapse_short(e) || changed;
}

// Runs of equal neighbours cancel in pairs; an immediate 0 goes whatever its run's length.
bool remove_cancelling(Expr& e) {
    auto& c = e.args().container();
    std::size_t w = 0, r = 0, n = c.size();
    while (r < n) {
        std::size_t end = r + 1;
        while (end < n && c[end] == c[r]) ++end;
        if ((end - r) % 2 == 1 && !c[r].is_zero()) {
            if (w != r) c[w] = std::move(c[r]);
            ++w;
        }
        r = end;
    }
    bool changed = w != n;
    if (changed) {
        c.erase(c.begin() + w, c.end());
        c.shrink_to_fit();
    }
    return collapse_short(e) || changed;
}

} // namespace

bool remove_dead_ops_no_rec(Expr& e) {
    switch (e.type()) {
    case expr_type_id::or_:
    case expr_type_id::mul: return remove_set_duplicates(e);
    case expr_type_id::add: return remove_cancelling(e);
    default: return false;
    }
}

bool remove_dead_ops(Expr& e) {
    return bottom_up(e, constants_prop_no_rec, remove_dead_ops_no_rec);
}

} // namespace ond::simps
