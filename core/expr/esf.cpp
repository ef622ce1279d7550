// Elementary symmetric functions: construction, expansion into monomials, and the ANF queries.
// Expanding ESF_d over n arguments costs binomial(n, d) products and one sort of them, so
// O(C log C) comparisons for C = binomial(n, d); equal monomials stay side by side. An expansion
// whose C monomials (each a product of d copied arguments) cannot fit in the machine's memory is
// refused up front with std::bad_alloc, the node left as it was.
#include "expr/assert.hpp"
#include "expr/collapse.hpp"
#include "expr/combinations.hpp"
#include "expr/expr.hpp"
#include "expr/memory_budget.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace ond {

namespace {

// binomial(n, k), or SIZE_MAX when it does not fit.
std::size_t binomial_saturated(std::size_t n, std::size_t k) {
    if (k > n - k) k = n - k;
    unsigned __int128 r = 1;
    for (std::size_t i = 1; i <= k; ++i) {
        r = r * (n - k + i) / i;
        if (r > SIZE_MAX) return SIZE_MAX;
    }
    return static_cast<std::size_t>(r);
}

// The monomials of the expansion: binomial(n, d) products of d arguments each.
void require_expansion_memory(ExprArgs const& a, std::size_t d) {
    std::size_t largest = 0;
    for (Expr const& x : a) largest = std::max(largest, heap_footprint(x));
    std::size_t record = sizeof(Expr) + 16 + d * (sizeof(Expr) + largest);
    require_memory(binomial_saturated(a.size(), d), record);
}

// Whether the arguments are symbols in strictly ascending order: then every tuple is a product
// as it stands.
bool distinct_ascending_syms(ExprArgs const& a) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!a[i].is_sym() || (i > 0 && a[i - 1].sym_idx() >= a[i].sym_idx())) return false;
    return true;
}

// The product of each d-tuple of distinct ascending symbols, built at once from the tuple.
void push_symbol_tuples(ExprArgs const& a, std::size_t d, std::vector<Expr>& r) {
    std::vector<std::size_t> idx(d);
    for (std::size_t i = 0; i < d; ++i) idx[i] = i;
    do {
        std::vector<Expr> f;
        f.reserve(d);
        for (std::size_t k = 0; k < d; ++k) f.push_back(a[idx[k]]);
        r.emplace_back(expr_type_id::mul, ExprArgs(std::move(f)));
    } while (next_combination(idx, a.size()));
}

// The monomial of each d-tuple of arbitrary arguments, multiplied out; a tuple holding an
// immediate 0 gives none.
void push_tuple_products(ExprArgs const& a, std::size_t d, std::vector<Expr>& r) {
    std::vector<std::size_t> idx(d);
    for (std::size_t i = 0; i < d; ++i) idx[i] = i;
    do {
        Expr m(a[idx[0]]);
        bool dropped = false;
        for (std::size_t k = 1; k < d; ++k) {
            Expr const& f = a[idx[k]];
            if (f.is_zero()) {
                dropped = true;
                break;
            }
            if (f.is_one()) continue;
            m *= f;
        }
        if (!dropped) r.push_back(std::move(m));
    } while (next_combination(idx, a.size()));
}

// `node` becomes the sum of the monomials `r` (the one monomial itself when there is one).
// Sorting once gives the list that inserting each monomial at its sorted position would;
// `in_order` (distinct ascending symbols) skips the check, as products of one size compare
// lexicographically, the way the tuples come.
void become_sum(Expr& node, std::vector<Expr>&& r, bool in_order) {
    ExprArgs sorted{std::move(r)};
    if (!in_order && !std::is_sorted(sorted.begin(), sorted.end())) sorted.sort();
    node = node_or_single(expr_type_id::add, std::move(sorted));
}

} // namespace

ExprESF::ExprESF(std::uint8_t degree, ExprArgs a) : Expr(expr_type_id::esf, std::move(a)) {
    set_esf_degree(degree);
    if (degree == 1) {
        retag(expr_type_id::add);
    } else if (args().size() == degree) {
        // The product of all arguments; of none it is the constant 1, which a product node
        // without arguments would not stand for (the passes read it as 0).
        if (degree == 0)
            static_cast<Expr&>(*this) = Expr::imm(true);
        else
            retag(expr_type_id::mul);
    }
    OND_ASSERT(!is_esf() || (degree != 1 && degree != args().size()),
               "an ESF node built with degree 1 or its argument count");
}

void ExprESF::expand() {
    std::uint8_t d = degree();
    if (d == 1) {
        retag(expr_type_id::add);
        return;
    }
    ExprArgs const& a = args();
    std::size_t n = a.size();
    std::vector<Expr> r;
    bool distinct_syms = false;
    if (d <= n) {
        require_expansion_memory(a, d);
        // Tuples holding an immediate 0 are dropped, so the count is only an upper bound: the
        // reservation is capped, and a longer list still grows as needed.
        r.reserve(std::min(binomial_saturated(n, d), std::size_t(1) << 22));
    }
    if (d == 0) {
        // The elementary symmetric function of degree 0 is the constant 1.
        r.push_back(Expr::imm(true));
    } else if (d <= n) {
        distinct_syms = distinct_ascending_syms(a);
        if (distinct_syms)
            push_symbol_tuples(a, d, r);
        else
            push_tuple_products(a, d, r);
    }
    become_sum(*this, std::move(r), distinct_syms);
}

bool Expr::is_anf() const {
    if (!is_add()) return false;
    for (Expr const& x : args()) {
        if (x.is_sym() || x.is_one()) continue;
        if (!x.is_mul()) return false;
        for (Expr const& f : x.args())
            if (!f.is_sym()) return false;
    }
    return true;
}

std::uint32_t Expr::anf_esf_max_degree() const {
    ExprArgs const& a = args();
    for (std::size_t i = a.size(); i-- > 0;)
        if (a[i].is_mul()) return static_cast<std::uint32_t>(a[i].args().size());
    return 0;
}

} // namespace ond
