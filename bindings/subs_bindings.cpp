// Python surface of substitution: subs_vectors, subs_exprs_inplace and subs_exprs, each for
// Expr, Vector and Matrix in that order.
#include "common.hpp"
#include "families.hpp"
#include "references.hpp"

#include "linalg/matrix.hpp"
#include "linalg/size_mismatch.hpp"
#include "linalg/subs.hpp"
#include "linalg/vector.hpp"

#include <pybind11/typing.h>

#include <cstdint>
#include <map>

using ond::bitfield;
using ond::Expr;
using ond::Matrix;
using ond::Vector;

namespace ondrex_py {

namespace {

using ExprMap = std::map<Expr, Expr>;
using ExprList = py::typing::List<Expr>;
using VectorList = py::typing::List<Vector>;
using IntList = py::typing::List<py::int_>;

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

// The symbols to replace and their values. Element j of each Vector takes bit j of its integer,
// least significant first; positions from 64 on wrap around to bit j mod 64. A symbol listed more
// than once is 1 if any of its positions gives it 1.
std::map<std::uint32_t, bool> assignment_of(py::list const& vectors, py::list const& ints) {
    check_same_length(vectors, ints);
    // Every element is converted before any integer, as the cast errors are ordered.
    for (py::handle h : vectors) h.cast<Vector const&>();
    std::map<std::uint32_t, bool> r;
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        Vector const& v = vectors[i].cast<Vector const&>();
        auto x = ints[i].cast<std::uint64_t>();
        for (std::size_t j = 0; j < v.size(); ++j) {
            if (!v[j].is_sym()) continue;
            r[v[j].sym_idx()] |= ((x >> (j % 64)) & 1u) != 0;
        }
    }
    return r;
}

// Bit sets are indexed by symbol index, so one holding an argument symbol (index 0xF0000000 and
// up) takes 512 MiB. Beyond this many bits the same substitution goes through a map from each
// symbol to its immediate, which visits and re-sorts the tree exactly as the bit sets do.
constexpr std::uint32_t bitfield_max_bits = std::uint32_t(1) << 26;

template <class T>
void substitute(T& x, std::map<std::uint32_t, bool> const& assignment) {
    if (assignment.empty() || assignment.rbegin()->first < bitfield_max_bits) {
        bitfield mask(assignment.empty() ? 0 : assignment.rbegin()->first + 1);
        bitfield values(mask.capacity());
        for (auto [s, v] : assignment) {
            mask.set(s);
            if (v) values.set(s);
        }
        ond::subs(x, mask, values);
        return;
    }
    ExprMap m;
    for (auto [s, v] : assignment) m.emplace(Expr::sym(s), Expr::imm(v));
    map_each(x, m);
}

template <class T>
void def_subs_vectors(py::module_& m) {
    m.def("subs_vectors", [](T const& x, VectorList vectors, IntList ints) {
        auto assignment = assignment_of(vectors, ints);
        T c(x);
        substitute(c, assignment);
        return c;
    });
}

template <class T>
void def_subs_exprs_inplace(py::module_& m) {
    m.def("subs_exprs_inplace", [](T& x, ExprList keys, ExprList values) {
        ExprMap map = mapping_of(keys, values);
        before_change(&x, std::is_same_v<T, Expr> ? Change::shape : Change::values);
        map_each(x, map);
    });
}

template <class T>
void def_subs_exprs(py::module_& m) {
    m.def("subs_exprs", [](T const& x, ExprList keys, ExprList values) {
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
