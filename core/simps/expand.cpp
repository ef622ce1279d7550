// Expansion of a product over the sums among its factors. Multiplying sums of m and n terms
// forms the m*n products, sorts them and cancels equal neighbours in pairs: O(mn log(mn))
// comparisons instead of the quadratic cost of keeping a sorted list while inserting. When both
// sums are monomials over at most 64 symbols, products are bit masks (symbols found through a
// direct table when their indices span a short range) and the sort is a radix sort, O(mn), or
// for fewer than 128 products a comparison sort; then the surviving monomials are built.
//
// Memory: a step that multiplies sums of m and n terms is refused up front, with std::bad_alloc,
// when m*n product records do not fit in the machine's physical memory (or the address-space
// limit): a record is two slots of the coded product list, the term itself and the arguments of
// the largest term of each factor. The product is then left as a valid expression of the same
// value: the sums multiplied so far are one sum among its factors.
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"

#include "expr/collapse.hpp"
#include "expr/memory_budget.hpp"
#include "expr/projecting_iterator.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <new>
#include <utility>
#include <vector>

namespace ond::simps {

namespace {

// Without a population-count instruction in the target (the portable build), the builtin is a
// library call per product; the bit-parallel count is a dozen inline operations.
inline int bit_count(std::uint64_t m) {
#ifdef __POPCNT__
    return __builtin_popcountll(m);
#else
    m = m - ((m >> 1) & 0x5555555555555555ULL);
    m = (m & 0x3333333333333333ULL) + ((m >> 2) & 0x3333333333333333ULL);
    m = (m + (m >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
    return static_cast<int>((m * 0x0101010101010101ULL) >> 56);
#endif
}

// Monomials (the immediate 1, symbols, products of symbols) over at most 64 distinct symbols,
// coded as bit masks: the symbol of rank r (ranks in ascending index order) is bit 63 - r, so
// that for masks of equal popcount, ~mask orders like the argument lists of the products.
class MonomialCodec {
public:
    // False when a term is not a canonical monomial or the sums use more than 64 symbols.
    bool build(ExprArgs const& xs, ExprArgs const& ys) {
        std::uint32_t lo = UINT32_MAX, hi = 0;
        if (!span(xs, lo, hi) || !span(ys, lo, hi)) return false;
        if (lo > hi || hi - lo >= dense_span) return collect(xs) && collect(ys);
        // Indices in a short range: a direct table, indexed from the lowest one, replaces the
        // search for each symbol; the ranks are given walking it upwards.
        lo_ = lo;
        dense_.assign(hi - lo + 1, 0);
        mark(xs);
        mark(ys);
        for (std::size_t i = 0; i < dense_.size(); ++i) {
            if (!dense_[i]) continue;
            if (syms_.size() == 64) return false;
            dense_[i] = std::uint64_t(1) << (63 - syms_.size());
            syms_.push_back(lo_ + static_cast<std::uint32_t>(i));
        }
        return true;
    }

    std::uint64_t mask(Expr const& t) const {
        if (t.is_imm()) return 0;
        if (!dense_.empty()) {
            if (t.is_sym()) return dense_[t.sym_idx() - lo_];
            std::uint64_t m = 0;
            for (Expr const& s : t.args()) m |= dense_[s.sym_idx() - lo_];
            return m;
        }
        auto hint = syms_.begin();
        if (t.is_sym()) return bit(t.sym_idx(), hint);
        std::uint64_t m = 0;
        for (Expr const& s : t.args()) m |= bit(s.sym_idx(), hint);
        return m;
    }

    Expr expr(std::uint64_t m) const {
        if (m == 0) return Expr::imm(true);
        if ((m & (m - 1)) == 0) return Expr::sym(syms_[__builtin_clzll(m)]);
        // The hot loop of every expansion: the indices first, then the leaves in one
        // allocation. The lowest bit is the highest rank, hence the last symbol: filling from the
        // back, each step only clears the lowest bit, and the bit positions are found off that
        // chain of dependent operations.
        std::array<std::uint32_t, 64> idx;
        std::size_t n = static_cast<std::size_t>(bit_count(m));
        for (std::size_t k = n; k-- > 0; m &= m - 1) idx[k] = syms_[63 - __builtin_ctzll(m)];
        return Expr(expr_type_id::mul,
                    ExprArgs(std::vector<Expr>(LeavesOf(idx.data()), LeavesOf(idx.data() + n))));
    }

private:
    // Symbol leaves over a list of indices: a vector built from this range knows its length up
    // front (the distance of two pointers), so it allocates once and constructs each leaf in
    // place, without the capacity test of one push_back per symbol.
    struct Leaf {
        Expr operator()(std::uint32_t idx) const { return Expr::sym(idx); }
    };
    using LeavesOf = ProjectingIterator<std::uint32_t const*, Leaf>;

    // Checks that the terms are canonical monomials and widens [lo, hi] to their symbols.
    static bool span(ExprArgs const& terms, std::uint32_t& lo, std::uint32_t& hi) {
        for (Expr const& t : terms) {
            if (t.is_one()) continue;
            if (t.is_sym()) {
                lo = std::min(lo, t.sym_idx());
                hi = std::max(hi, t.sym_idx());
                continue;
            }
            if (!t.is_mul() || t.args().size() < 2) return false;
            ExprArgs const& a = t.args();
            for (std::size_t i = 0; i < a.size(); ++i) {
                if (!a[i].is_sym()) return false;
                if (i > 0 && a[i - 1].sym_idx() >= a[i].sym_idx()) return false;
            }
            lo = std::min(lo, a[0].sym_idx());
            hi = std::max(hi, a[a.size() - 1].sym_idx());
        }
        return true;
    }

    void mark(ExprArgs const& terms) {
        for (Expr const& t : terms) {
            if (t.is_sym())
                dense_[t.sym_idx() - lo_] = 1;
            else if (t.is_mul())
                for (Expr const& x : t.args()) dense_[x.sym_idx() - lo_] = 1;
        }
    }

    // Adds the symbols of the terms to the (small) sorted table. A product's symbols ascend, so
    // each search starts where the previous one ended.
    bool collect(ExprArgs const& terms) {
        for (Expr const& t : terms) {
            if (t.is_one()) continue;
            if (t.is_sym()) {
                if (add(t.sym_idx(), syms_.begin()) == syms_.end()) return false;
                continue;
            }
            if (!t.is_mul() || t.args().size() < 2) return false;
            ExprArgs const& a = t.args();
            auto hint = syms_.begin();
            for (std::size_t i = 0; i < a.size(); ++i) {
                if (!a[i].is_sym()) return false;
                if (i > 0 && a[i - 1].sym_idx() >= a[i].sym_idx()) return false;
                hint = add(a[i].sym_idx(), hint);
                if (hint == syms_.end()) return false;
                ++hint;
            }
        }
        return true;
    }

    using Table = SortedVector<std::vector<std::uint32_t>, 3>;

    // The position of `idx` in the table, inserted if new; end() when the table overflows.
    Table::iterator add(std::uint32_t idx, Table::iterator hint) {
        auto [pos, present] = syms_.locate(idx, hint);
        if (present) return pos;
        if (syms_.size() == 64) return syms_.end();
        return syms_.insert_at(pos, idx);
    }

    std::uint64_t bit(std::uint32_t idx, Table::const_iterator& hint) const {
        auto pos = syms_.find(idx, hint).first;
        hint = pos + 1;
        return std::uint64_t(1) << (63 - (pos - syms_.begin()));
    }

    static constexpr std::uint32_t dense_span = 4096;

    Table syms_;
    // Bit of each symbol, indexed by symbol index - lo_, when the span is short.
    std::vector<std::uint64_t> dense_;
    std::uint32_t lo_ = 0;
};

// Sort key of a coded monomial: products by size then argument list, then symbols, then 1.
struct CodedProduct {
    std::uint64_t order; // ~mask
    std::uint64_t rank;  // popcount for products, 65 for a symbol, 66 for the immediate 1
};

CodedProduct coded(std::uint64_t m) {
    int n = bit_count(m);
    return {~m, static_cast<std::uint64_t>(n >= 2 ? n : 66 - n)};
}

// LSD radix sort on (rank, order), one byte per pass. Bytes that every key shares are found in
// one scan and skipped without counting: the masks of a few dozen symbols leave most bytes of
// `order` constant.
void radix_sort(std::vector<CodedProduct>& v) {
    std::uint64_t any_order = 0, all_order = ~std::uint64_t(0), any_rank = 0, all_rank = ~any_rank;
    for (CodedProduct const& p : v) {
        any_order |= p.order;
        all_order &= p.order;
        any_rank |= p.rank;
        all_rank &= p.rank;
    }
    std::uint64_t varying_order = any_order ^ all_order;
    std::vector<CodedProduct> tmp(v.size());
    auto pass = [&](auto byte_of) {
        std::array<std::size_t, 257> count{};
        for (CodedProduct const& p : v) ++count[byte_of(p) + 1];
        for (std::size_t i = 1; i < count.size(); ++i) count[i] += count[i - 1];
        for (CodedProduct const& p : v) tmp[count[byte_of(p)]++] = p;
        v.swap(tmp);
    };
    for (int b = 0; b < 64; b += 8)
        if ((varying_order >> b) & 0xff)
            pass([b](CodedProduct const& p) {
                return static_cast<std::size_t>((p.order >> b) & 0xff);
            });
    if (any_rank != all_rank)
        pass([](CodedProduct const& p) { return static_cast<std::size_t>(p.rank); });
}

// Keeps one element of every run of odd length of equal neighbours.
template <class T, class Eq>
void keep_odd_runs(std::vector<T>& p, Eq eq) {
    std::size_t w = 0, r = 0, n = p.size();
    while (r < n) {
        std::size_t end = r + 1;
        while (end < n && eq(p[end], p[r])) ++end;
        if ((end - r) % 2 == 1) {
            if (w != r) p[w] = std::move(p[r]);
            ++w;
        }
        r = end;
    }
    p.erase(p.begin() + w, p.end());
}

bool coded_odd_products(ExprArgs const& xs, ExprArgs const& ys, ExprArgs& out) {
    MonomialCodec codec;
    if (!codec.build(xs, ys)) return false;
    std::vector<std::uint64_t> ym;
    ym.reserve(ys.size());
    for (Expr const& y : ys) ym.push_back(codec.mask(y));
    std::vector<CodedProduct> p(xs.size() * ys.size());
    CodedProduct* next = p.data();
    for (Expr const& x : xs) {
        std::uint64_t xm = codec.mask(x);
        for (std::uint64_t m : ym) *next++ = coded(xm | m);
    }
    // The nine counting passes only pay off on long lists; short ones (most products of a tree
    // simplified bottom-up) are cheaper to sort by comparison, in the same (rank, order) order.
    if (p.size() < 128)
        std::sort(p.begin(), p.end(), [](CodedProduct const& a, CodedProduct const& b) {
            return a.rank != b.rank ? a.rank < b.rank : a.order < b.order;
        });
    else
        radix_sort(p);
    keep_odd_runs(p,
                  [](CodedProduct const& a, CodedProduct const& b) { return a.order == b.order; });
    std::vector<Expr> terms;
    terms.reserve(p.size());
    for (CodedProduct const& c : p) terms.push_back(codec.expr(~c.order));
    out = ExprArgs(std::move(terms));
    return true;
}

// The sorted set of the products x*y (x in xs, y in ys) that occur an odd number of times; the
// immediate 0 is never kept.
ExprArgs odd_products(ExprArgs const& xs, ExprArgs const& ys) {
    ExprArgs coded;
    if (coded_odd_products(xs, ys, coded)) return coded;
    std::vector<Expr> p;
    p.reserve(xs.size() * ys.size());
    for (Expr const& x : xs)
        for (Expr const& y : ys) {
            Expr xy = x * y;
            if (!xy.is_zero()) p.push_back(std::move(xy));
        }
    std::sort(p.begin(), p.end());
    keep_odd_runs(p, [](Expr const& a, Expr const& b) { return a == b; });
    return ExprArgs(std::move(p));
}

std::size_t largest_footprint(ExprArgs const& terms) {
    std::size_t r = 0;
    for (Expr const& t : terms) r = std::max(r, heap_footprint(t));
    return r;
}

// Small steps, most of a simplification, skip walking the terms: their lists cannot exhaust memory
// unless the terms themselves are huge, and then the input already holds much of that memory.
constexpr std::size_t unchecked_products = 1024;

void require_product_memory(ExprArgs const& xs, ExprArgs const& ys) {
    std::size_t count;
    if (__builtin_mul_overflow(xs.size(), ys.size(), &count)) throw std::bad_alloc();
    if (count < unchecked_products) return;
    require_memory(count, 2 * sizeof(CodedProduct) + sizeof(Expr) + largest_footprint(xs) +
                              largest_footprint(ys));
}

// The position of the first sum among the sorted factors `a` of a product, when a factor after
// it can be distributed over it; else a.size().
std::size_t first_sum_to_expand(ExprArgs const& a) {
    std::size_t n = a.size();
    // Sorted: no sum can follow a symbol.
    if (a[0].is_sym()) return n;
    if (a[0].is_add()) return 0;
    std::size_t k = 1;
    while (k < n && !a[k].is_add()) ++k;
    // Only Or and ESF factors precede the sum: nothing to distribute over it.
    if (k == n - 1) return n;
    return k;
}

// Multiplies the sums that follow factor k into the sum `acc`, taken from it; returns the
// position of the first factor after them. Refused with std::bad_alloc when a product, or the
// terms taking the trailing factors in, would not fit in memory: then the sums multiplied so far
// stand for their product among the factors, and the node keeps its value.
std::size_t multiply_sums(ExprArgs& a, std::size_t k, Expr& acc) {
    std::size_t n = a.size(), i = k + 1;
    try {
        for (; i < n && a[i].is_add(); ++i) {
            require_product_memory(acc.args(), a[i].args());
            ExprArgs prod = odd_products(acc.args(), a[i].args());
            acc.args().swap(prod);
        }
        std::size_t trailing = 0;
        for (std::size_t j = i; j < n; ++j) trailing += sizeof(Expr) + heap_footprint(a[j]);
        if (trailing != 0) require_memory(acc.args().size(), trailing);
    } catch (std::bad_alloc const&) {
        // Moving and erasing elements allocates nothing.
        a[k] = std::move(acc);
        a.erase(a.begin() + k + 1, a.begin() + i);
        a.sort();
        throw;
    }
    return i;
}

// The trailing symbols and immediates, factors i and on, multiplied into every term of the sum
// `acc` at once.
void multiply_trailing(ExprArgs& a, std::size_t i, Expr& acc) {
    Expr m;
    if (i + 1 == a.size()) {
        m = std::move(a[i]);
    } else {
        std::vector<Expr> rest(std::make_move_iterator(a.begin() + i),
                               std::make_move_iterator(a.end()));
        m = Expr(expr_type_id::mul, ExprArgs(std::move(rest)));
    }
    for (Expr& t : acc.args()) {
        t *= m;
        // A term that keeps an Or or ESF factor before a sum is a product the node loop
        // will not revisit: distribute the new factors over its sum now.
        if (t.is_mul() && t.args().size() > 2 && !t.args()[0].is_add())
            for (Expr const& f : t.args())
                if (f.is_add()) {
                    simplify_no_rec(t);
                    break;
                }
    }
    // The products come sorted; only the trailing factors can break the order.
    if (!std::is_sorted(acc.args().begin(), acc.args().end())) acc.args().sort();
}

// Cancels the terms of the sum `acc` that the trailing factors made equal (1 * a and a * a) and
// drops those they made 0; a sum left with one term or none becomes that term or 0.
void cancel_equal_terms(Expr& acc) {
    std::vector<Expr> terms(std::make_move_iterator(acc.args().begin()),
                            std::make_move_iterator(acc.args().end()));
    std::erase_if(terms, [](Expr const& x) { return x.is_zero(); });
    keep_odd_runs(terms, [](Expr const& x, Expr const& y) { return x == y; });
    acc.args() = ExprArgs(std::move(terms));
    if (acc.args().empty())
        acc = Expr::imm(false);
    else
        collapse_single(acc);
}

} // namespace

bool expand_no_rec(Expr& e) {
    if (!e.is_mul() || e.args().empty()) return false;
    ExprArgs& a = e.args();
    std::size_t k = first_sum_to_expand(a);
    if (k == a.size()) return false;
    // The factors from k on are replaced, so the first sum can be taken over.
    Expr acc(std::move(a[k]));
    std::size_t i = multiply_sums(a, k, acc);
    bool trailing = i < a.size();
    if (trailing) multiply_trailing(a, i, acc);
    if (k == 0) {
        e = std::move(acc);
        return true;
    }
    // The node loop revisits only this product, never the sum kept inside it, so the terms
    // that the trailing factors made equal cancel here.
    if (trailing) cancel_equal_terms(acc);
    a.erase(a.begin() + k, a.end());
    a.insert(std::move(acc));
    a.shrink_to_fit();
    return true;
}

bool expand(Expr& e) { return bottom_up(e, expand_no_rec); }

} // namespace ond::simps
