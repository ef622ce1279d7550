// Substitution by bit sets and by a map. Both walk the tree once, top-down, and sort each
// visited argument list afterwards: O(n log n) per node of n arguments, plus one logarithmic
// map lookup per visited node for `subs_map`.
#include "linalg/subs.hpp"

namespace ond {

void subs(Expr& e, bitfield const& mask, bitfield const& values) {
    if (e.is_sym()) {
        std::uint32_t s = e.sym_idx();
        if (mask.get(s)) e = Expr::imm(values.get(s));
        return;
    }
    if (!e.has_args() || e.args().empty()) return;
    for (Expr& a : e.args()) subs(a, mask, values);
    e.args().sort();
}

void subs(Vector& v, bitfield const& mask, bitfield const& values) {
    for (Expr& e : v) subs(e, mask, values);
}

void subs(Matrix& m, bitfield const& mask, bitfield const& values) {
    for (Expr& e : m) subs(e, mask, values);
}

void subs_map(Expr& e, std::map<Expr, Expr> const& m) {
    if (!m.empty()) {
        auto it = m.find(e);
        if (it != m.end()) {
            e = it->second;
            return;
        }
    }
    if (!e.has_args() || e.args().empty()) return;
    for (Expr& a : e.args()) subs_map(a, m);
    e.args().sort();
}

} // namespace ond
