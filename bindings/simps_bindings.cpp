// Python surface of the simplification driver and of the ESF expansion: simplify_inplace,
// simplify, expand_esf_inplace and expand_esf.
#include "common.hpp"
#include "families.hpp"

#include "simps/simplify.hpp"

using ond::Expr;
using ond::Matrix;
using ond::Vector;

// The simplify overloads bound as simplify_inplace, exported beside the core.
OND_API Expr& (*simp_exp)(Expr&) = &ond::simps::simplify;
OND_API Vector& (*simp_vec)(Vector&) = &ond::simps::simplify;
OND_API Matrix& (*simp_mat)(Matrix&) = &ond::simps::simplify;

namespace ondrex_py {

namespace {

template <class T>
T simplified_copy(T const& x) {
    T c(x);
    ond::simps::simplify(c);
    return c;
}

template <class T>
T expanded_copy(T const& x) {
    T c(x);
    ond::simps::expand_esf(c);
    return c;
}

} // namespace

void bind_simplify(py::module_& m) {
    // Self<Expr> hands back the argument's own object, also when it is an ExprSym.
    m.def("simplify_inplace", [](Self<Expr> e) {
        simp_exp(e.obj.cast<Expr&>());
        return e;
    });
    // A vector or matrix has no Python subclass: the returned reference finds its own wrapper.
    m.def("simplify_inplace", simp_vec, py::return_value_policy::reference_internal);
    m.def("simplify_inplace", simp_mat, py::return_value_policy::reference_internal);
    m.def("simplify", &simplified_copy<Expr>);
    m.def("simplify", &simplified_copy<Vector>);
    m.def("simplify", &simplified_copy<Matrix>);
}

void bind_expand_esf(py::module_& m) {
    m.def("expand_esf_inplace", [](Expr& e) { ond::simps::expand_esf(e); });
    m.def("expand_esf_inplace", [](Vector& v) { ond::simps::expand_esf(v); });
    m.def("expand_esf", &expanded_copy<Expr>);
    m.def("expand_esf", &expanded_copy<Vector>);
}

} // namespace ondrex_py
