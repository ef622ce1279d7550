// Python surface of substitution: subs_vectors, subs_exprs_inplace and subs_exprs, each for
// Expr, Vector and Matrix in that order.
#include "common.hpp"
#include "families.hpp"

#include "linalg/matrix.hpp"
#include "linalg/size_mismatch.hpp"
#include "linalg/subs.hpp"
#include "linalg/vector.hpp"

#include <cstdint>
#include <map>

using ond::bitfield;
using ond::Expr;
using ond::Matrix;
using ond::Vector;

namespace ondrex_py {

namespace {

using ExprMap = std::map<Expr, Expr>;

void map_each(Expr& e, ExprMap const& m) { ond::subs_map(e, m); }
void map_each(Vector& v, ExprMap const& m) {
    for (Expr& e : v) ond::subs_map(e, m);
}
void map_each(Matrix& x, ExprMap const& m) {
    for (Expr& e : x) ond::subs_map(e, m);
}

// Lists of different lengths would pair values with the wrong keys: refused before anything
// is converted or substituted.
void check_same_length(py::list const& a, py::list const& b) {
    if (py::len(a) != py::len(b)) throw ond::errors::SizeMismatch();
}

// Values converted before keys, position by position; a later equal key overwrites.
ExprMap mapping_of(py::list const& keys, py::list const& values) {
    check_same_length(keys, values);
    ExprMap m;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        Expr v = values[i].cast<Expr>();
        Expr k = keys[i].cast<Expr>();
        m.insert_or_assign(std::move(k), std::move(v));
    }
    return m;
}

// Element j of each Vector takes bit j of its integer, least significant first. Positions from
// 64 on wrap around to bit j mod 64.
std::pair<bitfield, bitfield> bits_of(py::list const& vectors, py::list const& ints) {
    check_same_length(vectors, ints);
    std::size_t total = 0;
    for (py::handle h : vectors) total += h.cast<Vector const&>().size();
    std::pair<bitfield, bitfield> r{bitfield(total), bitfield(total)};
    auto& [mask, values] = r;
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        Vector const& v = vectors[i].cast<Vector const&>();
        auto x = ints[i].cast<std::uint64_t>();
        for (std::size_t j = 0; j < v.size(); ++j) {
            if (!v[j].is_sym()) continue;
            std::uint32_t s = v[j].sym_idx();
            mask.set(s);
            if ((x >> (j % 64)) & 1u) values.set(s);
        }
    }
    return r;
}

template <class T>
void def_subs_vectors(py::module_& m) {
    m.def("subs_vectors", [](T const& x, py::list vectors, py::list ints) {
        auto [mask, values] = bits_of(vectors, ints);
        T c(x);
        ond::subs(c, mask, values);
        return c;
    });
}

template <class T>
void def_subs_exprs_inplace(py::module_& m) {
    m.def("subs_exprs_inplace", [](T& x, py::list keys, py::list values) {
        map_each(x, mapping_of(keys, values));
    });
}

template <class T>
void def_subs_exprs(py::module_& m) {
    m.def("subs_exprs", [](T const& x, py::list keys, py::list values) {
        ExprMap map = mapping_of(keys, values);
        T c(x);
        map_each(c, map);
        return c;
    });
}

} // namespace

void bind_subs(py::module_& m) {
    def_subs_vectors<Expr>(m);
    def_subs_vectors<Vector>(m);
    def_subs_vectors<Matrix>(m);
    def_subs_exprs_inplace<Expr>(m);
    def_subs_exprs_inplace<Vector>(m);
    def_subs_exprs_inplace<Matrix>(m);
    def_subs_exprs<Expr>(m);
    def_subs_exprs<Vector>(m);
    def_subs_exprs<Matrix>(m);
}

} // namespace ondrex_py
