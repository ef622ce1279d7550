// SymbolsSet: an ordered set of symbols, held as their indices and handed back as ExprSym.
#pragma once

#include "expr/expr.hpp"

#include <cstdint>
#include <iterator>
#include <set>

namespace ond {

class OND_API SymbolsSet {
    using storage = std::set<std::uint32_t>;

public:
    // Walks the set in ascending index order, yielding each element as a symbol.
    class const_iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = ExprSym;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = ExprSym;

        const_iterator() = default;
        explicit const_iterator(storage::const_iterator it) : it_(it) {}
        ExprSym operator*() const { return ExprSym(*it_); }
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

    // True when the symbol was not yet present.
    bool insert(ExprSym const& s);
    bool has(ExprSym const& s) const;
    // Take the expression as a symbol and read its index without looking at the kind.
    bool insert(Expr const& e);
    bool has(Expr const& e) const;

    std::size_t size() const { return set_.size(); }
    bool empty() const { return set_.empty(); }
    const_iterator begin() const { return const_iterator(set_.begin()); }
    const_iterator end() const { return const_iterator(set_.end()); }

private:
    storage set_;
};

} // namespace ond
