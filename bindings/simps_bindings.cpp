// Python surface of the simplification driver and of the ESF expansion: simplify_inplace,
// simplify, expand_esf_inplace and expand_esf.
#include "common.hpp"
#include "families.hpp"

#include "simps/simplify.hpp"

using ond::Expr;

// The simplify overloads bound as simplify_inplace, exported beside the core.
OND_API Expr& (*simp_exp)(Expr&) = &ond::simps::simplify;

namespace ondrex_py {

void bind_simplify(py::module_& m) {
    // Self<Expr> hands back the argument's own object, also when it is an ExprSym.
    m.def("simplify_inplace", [](Self<Expr> e) {
        simp_exp(e.obj.cast<Expr&>());
        return e;
    });
    m.def("simplify", [](Expr const& e) {
        Expr c(e);
        ond::simps::simplify(c);
        return c;
    });
}

void bind_expand_esf(py::module_& m) {
    m.def("expand_esf_inplace", [](Expr& e) { ond::simps::expand_esf(e); });
    m.def("expand_esf", [](Expr const& e) {
        Expr c(e);
        ond::simps::expand_esf(c);
        return c;
    });
}

} // namespace ondrex_py
