// Python surface of words of any width: Vector from a list of expressions, Vector.from_int and
// Vector.to_int (element i is bit i, the order of set_int_be).
#include "common.hpp"
#include "families.hpp"
#include "python_int.hpp"
#include "vector_not_immediate.hpp"

#include "expr/expr.hpp"
#include "linalg/vector.hpp"

#include <pybind11/typing.h>

#include <bit>

using ond::Expr;
using ond::Vector;

namespace ondrex_py {

namespace {

Vector vector_of_list(py::typing::List<Expr> const& l) {
    Vector v;
    v.reserve(l.size());
    for (py::handle h : l) v.push_back(h.cast<Expr const&>());
    return v;
}

Vector vector_of_int(py::int_ const& value, std::size_t nbits) {
    std::vector<std::uint64_t> w = words_from_int(value, nbits, "the value");
    Vector v(nbits);
    for (std::size_t i = 0; i < w.size(); ++i)
        for (std::uint64_t x = w[i]; x; x &= x - 1)
            v[64 * i + static_cast<std::size_t>(std::countr_zero(x))] = Expr::imm(true);
    return v;
}

py::int_ int_of_vector(Vector const& v) {
    std::vector<std::uint64_t> w(v.size() / 64 + (v.size() % 64 != 0), 0);
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (!v[i].is_imm()) throw VectorNotImmediate();
        if (v[i].imm_value()) w[i / 64] |= std::uint64_t(1) << (i % 64);
    }
    return int_from_words(w);
}

} // namespace

void bind_wide_words(py::module_& m) {
    py::reinterpret_borrow<py::class_<Vector>>(m.attr("Vector"))
        .def(py::init(&vector_of_list), py::arg("elements"), "A vector of copies of the elements.")
        .def_static("from_int", &vector_of_int, py::arg("value"), py::arg("nbits"),
                    "The vector of nbits immediates whose element i is bit i of value, of any\n"
                    "width (the order of set_int_be). OverflowError when value is negative or\n"
                    "needs more than nbits bits.")
        .def("to_int", &int_of_vector,
             "The integer whose bit i is element i, of any width (the order of get_int_be).\n"
             "Throws VectorNotImmediate when an element is not an immediate.");
}

} // namespace ondrex_py
