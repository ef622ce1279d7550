// Python surface of substitution: subs_vectors, subs_exprs_inplace and subs_exprs, each for
// Expr, Vector and Matrix in that order. The semantics live in core/linalg/subs; this converts
// the lists, in the order that decides which conversion error is reported.
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
#include <vector>

using ond::Expr;
using ond::Matrix;
using ond::Vector;

namespace ondrex_py {

namespace {

using ExprMap = std::map<Expr, Expr>;
using ExprList = py::typing::List<Expr>;
using VectorList = py::typing::List<Vector>;
using IntList = py::typing::List<py::int_>;

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

// The arguments of subs_vectors as the core takes them: lengths compared first, then every
// Vector converted, then every integer, as the cast errors are ordered.
struct VectorBits {
    std::vector<Vector const*> vectors;
    std::vector<std::uint64_t> bits;
};

VectorBits vector_bits_of(py::list const& vectors, py::list const& ints) {
    check_same_length(vectors, ints);
    VectorBits r;
    r.vectors.reserve(vectors.size());
    for (py::handle h : vectors) r.vectors.push_back(&h.cast<Vector const&>());
    r.bits.reserve(ints.size());
    for (py::handle h : ints) r.bits.push_back(h.cast<std::uint64_t>());
    return r;
}

template <class T>
void def_subs_vectors(py::module_& m) {
    m.def("subs_vectors", [](T const& x, VectorList vectors, IntList ints) {
        VectorBits args = vector_bits_of(vectors, ints);
        T c(x);
        ond::subs_vectors(c, args.vectors, args.bits);
        return c;
    });
}

template <class T>
void def_subs_exprs_inplace(py::module_& m) {
    m.def("subs_exprs_inplace", [](T& x, ExprList keys, ExprList values) {
        ExprMap map = mapping_of(keys, values);
        before_change(&x, std::is_same_v<T, Expr> ? Change::shape : Change::values);
        ond::subs_map(x, map);
    });
}

template <class T>
void def_subs_exprs(py::module_& m) {
    m.def("subs_exprs", [](T const& x, ExprList keys, ExprList values) {
        ExprMap map = mapping_of(keys, values);
        T c(x);
        ond::subs_map(c, map);
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
