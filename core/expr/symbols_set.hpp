// SymbolsSet: an ordered set of symbols, held as their indices and handed back as ExprSym.
#pragma once

#include "expr/expr.hpp"
#include "expr/projecting_iterator.hpp"

#include <cstdint>
#include <set>

namespace ond {

class OND_API SymbolsSet {
    using storage = std::set<std::uint32_t>;

    struct ToSymbol {
        ExprSym operator()(std::uint32_t idx) const { return ExprSym(idx); }
    };

public:
    // Walks the set in ascending index order, yielding each element as a symbol.
    using const_iterator = ProjectingIterator<storage::const_iterator, ToSymbol>;

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

// Every symbol that occurs in the tree of `e`. O(size log s) for s distinct symbols.
OND_API SymbolsSet symbols_of(Expr const& e);

} // namespace ond
