// Expansion of a product over the sums among its factors. Multiplying sums of m and n terms
// forms the m*n products, sorts them and cancels equal neighbours in pairs: O(mn log(mn))
// comparisons instead of the quadratic cost of keeping a sorted list while inserting.
#include "simps/simplify.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace ond::simps {

namespace {

// The sorted set of the products x*y (x in xs, y in ys) that occur an odd number of times; the
// immediate 0 is never kept.
ExprArgs odd_products(ExprArgs const& xs, ExprArgs const& ys) {
    std::vector<Expr> p;
    p.reserve(xs.size() * ys.size());
    for (Expr const& x : xs)
        for (Expr const& y : ys) {
            Expr xy = x * y;
            if (!xy.is_zero()) p.push_back(std::move(xy));
        }
    std::sort(p.begin(), p.end());
    std::size_t w = 0, r = 0, n = p.size();
    while (r < n) {
        std::size_t end = r + 1;
        while (end < n && p[end] == p[r]) ++end;
        if ((end - r) % 2 == 1) {
            if (w != r) p[w] = std::move(p[r]);
            ++w;
        }
        r = end;
    }
    p.erase(p.begin() + w, p.end());
    return ExprArgs(std::move(p));
}

} // namespace

bool expand_no_rec(Expr& e) {
    if (!e.is_mul() || e.args().empty()) return false;
    ExprArgs& a = e.args();
    // Sorted: no sum can follow a symbol.
    if (a[0].is_sym()) return false;
    std::size_t n = a.size(), k = 0;
    if (!a[0].is_add()) {
        k = 1;
        while (k < n && !a[k].is_add()) ++k;
        if (k == n) return false;
        // Only Or and ESF factors precede the sum: nothing to distribute over it.
        if (k == n - 1) return false;
    }
    // The factors from k on are replaced, so the first sum can be taken over.
    Expr acc(std::move(a[k]));
    std::size_t i = k + 1;
    for (; i < n && a[i].is_add(); ++i) {
        ExprArgs prod = odd_products(acc.args(), a[i].args());
        acc.args().swap(prod);
    }
    if (i < n) {
        // The trailing symbols and immediates, multiplied into every term at once.
        Expr m = i + 1 == n ? std::move(a[i])
                            : Expr(expr_type_id::mul,
                                   ExprArgs(std::vector<Expr>(std::make_move_iterator(a.begin() + i),
                                                              std::make_move_iterator(a.end()))));
        for (Expr& t : acc.args()) t *= m;
    }
    acc.args().sort();
    if (k == 0) {
        e = std::move(acc);
    } else {
        a.erase(a.begin() + k, a.end());
        a.insert(std::move(acc));
        a.shrink_to_fit();
    }
    return true;
}

bool expand(Expr& e) {
    if (!e.has_args()) return false;
    bool changed = false;
    for (Expr& a : e.args()) changed |= expand(a);
    return expand_no_rec(e) || changed;
}

} // namespace ond::simps
