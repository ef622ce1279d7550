// Substitution by bit sets and by a map. Both walk the tree once, top-down, and sort each
// visited argument list afterwards: O(n log n) per node of n arguments, plus one logarithmic
// map lookup per visited node for `subs_map`. The substitution by symbol values picks one of the
// two by the largest symbol index.
#include "linalg/subs.hpp"

#include "linalg/size_mismatch.hpp"

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

void subs_map(Vector& v, std::map<Expr, Expr> const& m) {
    for (Expr& e : v) subs_map(e, m);
}

void subs_map(Matrix& x, std::map<Expr, Expr> const& m) {
    for (Expr& e : x) subs_map(e, m);
}

SymbolValues assignment_of(std::span<Vector const* const> vectors,
                           std::span<std::uint64_t const> bits) {
    if (vectors.size() != bits.size()) throw errors::SizeMismatch();
    SymbolValues r;
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        Vector const& v = *vectors[i];
        for (std::size_t j = 0; j < v.size(); ++j) {
            if (!v[j].is_sym()) continue;
            r[v[j].sym_idx()] |= ((bits[i] >> (j % 64)) & 1u) != 0;
        }
    }
    return r;
}

namespace {

template <class T>
void subs_values(T& x, SymbolValues const& a) {
    if (a.empty() || a.rbegin()->first < subs_bitfield_max_bits) {
        bitfield mask(a.empty() ? 0 : a.rbegin()->first + 1);
        bitfield values(mask.capacity());
        for (auto [s, v] : a) {
            mask.set(s);
            if (v) values.set(s);
        }
        subs(x, mask, values);
        return;
    }
    std::map<Expr, Expr> m;
    for (auto [s, v] : a) m.emplace(Expr::sym(s), Expr::imm(v));
    subs_map(x, m);
}

} // namespace

void subs(Expr& e, SymbolValues const& a) {
    subs_values(e, a);
}
void subs(Vector& v, SymbolValues const& a) {
    subs_values(v, a);
}
void subs(Matrix& m, SymbolValues const& a) {
    subs_values(m, a);
}

void subs_vectors(Expr& e, std::span<Vector const* const> vectors,
                  std::span<std::uint64_t const> bits) {
    subs(e, assignment_of(vectors, bits));
}

void subs_vectors(Vector& v, std::span<Vector const* const> vectors,
                  std::span<std::uint64_t const> bits) {
    subs(v, assignment_of(vectors, bits));
}

void subs_vectors(Matrix& m, std::span<Vector const* const> vectors,
                  std::span<std::uint64_t const> bits) {
    subs(m, assignment_of(vectors, bits));
}

} // namespace ond
