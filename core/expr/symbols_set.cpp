// Ordered set of symbol indices: logarithmic insertion and lookup.
#include "expr/symbols_set.hpp"

namespace ond {

bool SymbolsSet::insert(ExprSym const& s) { return set_.insert(s.idx()).second; }
bool SymbolsSet::has(ExprSym const& s) const { return set_.count(s.idx()) != 0; }
bool SymbolsSet::insert(Expr const& e) { return set_.insert(e.sym_idx()).second; }
bool SymbolsSet::has(Expr const& e) const { return set_.count(e.sym_idx()) != 0; }

namespace {

void collect(Expr const& e, SymbolsSet& s) {
    if (e.is_sym())
        s.insert(ExprSym(e.sym_idx()));
    else if (e.has_args())
        for (Expr const& a : e.args()) collect(a, s);
}

} // namespace

SymbolsSet symbols_of(Expr const& e) {
    SymbolsSet s;
    collect(e, s);
    return s;
}

} // namespace ond
