// SymbolsHist: for an expression in algebraic normal form, the number of monomials (products of
// two or more symbols) in which each symbol occurs, ascending by symbol index.
#pragma once

#include "expr/expr.hpp"

#include <cstdint>
#include <iterator>
#include <map>
#include <utility>

namespace ond {

class OND_API SymbolsHist {
    using storage = std::map<std::uint32_t, std::uint32_t>;

public:
    // Walks the histogram in ascending index order, yielding (symbol, count) pairs.
    class const_iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = std::pair<ExprSym, unsigned int>;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = value_type;

        const_iterator() = default;
        explicit const_iterator(storage::const_iterator it) : it_(it) {}
        value_type operator*() const { return {ExprSym(it_->first), it_->second}; }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator t = *this;
            ++it_;
            return t;
        }
        const_iterator& operator--() {
            --it_;
            return *this;
        }
        const_iterator operator--(int) {
            const_iterator t = *this;
            --it_;
            return t;
        }
        bool operator==(const_iterator const& o) const { return it_ == o.it_; }
        bool operator!=(const_iterator const& o) const { return it_ != o.it_; }

    private:
        storage::const_iterator it_;
    };

    // Counts every monomial of `e`. False, histogram unchanged, when `e` is not in ANF.
    bool compute(Expr const& e);
    // Counts only the monomials of exactly `n` symbols. False, unchanged, when not in ANF.
    bool compute(Expr const& e, std::uint32_t n);

    std::uint32_t count(ExprSym const& s) const;
    // 0 for an expression that is not a symbol.
    std::uint32_t count(Expr const& e) const;

    std::size_t size() const { return hist_.size(); }
    bool empty() const { return hist_.empty(); }
    const_iterator begin() const { return const_iterator(hist_.begin()); }
    const_iterator end() const { return const_iterator(hist_.end()); }

private:
    void count_monomial(Expr const& m);

    storage hist_;
};

} // namespace ond
