// SymbolsHist: for an expression in algebraic normal form, the number of monomials (products of
// two or more symbols) in which each symbol occurs, ascending by symbol index.
#pragma once

#include "expr/expr.hpp"
#include "expr/projecting_iterator.hpp"

#include <cstdint>
#include <map>
#include <utility>

namespace ond {

class OND_API SymbolsHist {
    using storage = std::map<std::uint32_t, std::uint32_t>;

    struct ToEntry {
        std::pair<ExprSym, unsigned int> operator()(storage::value_type const& v) const {
            return {ExprSym(v.first), v.second};
        }
    };

public:
    // Walks the histogram in ascending index order, yielding (symbol, count) pairs.
    using const_iterator = ProjectingIterator<storage::const_iterator, ToEntry>;

    // Counts every monomial of `e`. False, histogram unchanged, when `e` is not in ANF.
    bool compute(Expr const& e);
    // Counts only the monomials of exactly `n` symbols. False, unchanged, when not in ANF.
    bool compute(Expr const& e, std::uint32_t n);

    std::uint32_t count(ExprSym const& s) const;
    // 0 for an expression that is not a symbol.
    std::uint32_t count(Expr const& e) const;

    // Sets the count of `s`, as a loaded histogram is rebuilt.
    void set_count(ExprSym const& s, std::uint32_t n) { hist_[s.idx()] = n; }

    std::size_t size() const { return hist_.size(); }
    bool empty() const { return hist_.empty(); }
    const_iterator begin() const { return const_iterator(hist_.begin()); }
    const_iterator end() const { return const_iterator(hist_.end()); }

private:
    void count_monomial(Expr const& m);

    storage hist_;
};

} // namespace ond
