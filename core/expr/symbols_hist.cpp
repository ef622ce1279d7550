// Symbol histogram of an ANF expression: O(t log s) for t symbol occurrences in monomials and s
// distinct symbols; the sized form stops early, walking the monomials from the largest.
#include "expr/symbols_hist.hpp"

namespace ond {

void SymbolsHist::count_monomial(Expr const& m) {
    for (Expr const& s : m.args()) ++hist_[s.sym_idx()];
}

bool SymbolsHist::compute(Expr const& e) {
    if (!e.is_anf()) return false;
    hist_.clear();
    for (Expr const& m : e.args())
        if (m.is_mul()) count_monomial(m);
    return true;
}

bool SymbolsHist::compute(Expr const& e, std::uint32_t n) {
    if (!e.is_anf()) return false;
    hist_.clear();
    ExprArgs const& a = e.args();
    // Products precede symbols and immediates and are ordered by size, so walking backwards
    // meets them from the largest down.
    for (std::size_t i = a.size(); i-- > 0;) {
        Expr const& m = a[i];
        if (!m.is_mul()) continue;
        std::size_t k = m.args().size();
        if (k < n) break;
        if (k == n) count_monomial(m);
    }
    return true;
}

std::uint32_t SymbolsHist::count(ExprSym const& s) const {
    auto it = hist_.find(s.idx());
    return it == hist_.end() ? 0 : it->second;
}

std::uint32_t SymbolsHist::count(Expr const& e) const {
    if (!e.is_sym()) return 0;
    return count(static_cast<ExprSym const&>(e));
}

} // namespace ond
