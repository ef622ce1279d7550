// Python surface of the simplification driver and of the ESF expansion: simplify_inplace,
// simplify, expand_esf_inplace and expand_esf.
#include "common.hpp"
#include "families.hpp"
#include "references.hpp"

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
        Expr& x = e.obj.cast<Expr&>();
        before_change(&x, Change::shape);
        simp_exp(x);
        return e;
    });
    // A vector or matrix has no Python subclass: the returned reference finds its own wrapper.
    m.def(
        "simplify_inplace",
        [](Vector& v) -> Vector& {
            before_change(&v, Change::values);
            return simp_vec(v);
        },
        py::return_value_policy::reference_internal);
    m.def(
        "simplify_inplace",
        [](Matrix& x) -> Matrix& {
            before_change(&x, Change::values);
            return simp_mat(x);
        },
        py::return_value_policy::reference_internal);
    m.def("simplify", &simplified_copy<Expr>);
    m.def("simplify", &simplified_copy<Vector>);
    m.def("simplify", &simplified_copy<Matrix>);
}

void bind_expand_esf(py::module_& m) {
    m.def("expand_esf_inplace", [](Expr& e) {
        before_change(&e, Change::shape);
        ond::simps::expand_esf(e);
    });
    m.def("expand_esf_inplace", [](Vector& v) {
        before_change(&v, Change::values);
        ond::simps::expand_esf(v);
    });
    m.def("expand_esf", &expanded_copy<Expr>);
    m.def("expand_esf", &expanded_copy<Vector>);
}

} // namespace ondrex_py
