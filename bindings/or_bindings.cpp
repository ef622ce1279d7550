// Python surface of OR rewriting: or_to_esf_inplace, or_to_esf and identify_ors_inplace.
#include "common.hpp"
#include "families.hpp"
#include "references.hpp"

#include "simps/or_rewriting.hpp"

using ond::Expr;

namespace ondrex_py {

void bind_or_rewriting(py::module_& m) {
    m.def("or_to_esf_inplace", [](Expr& e) {
        before_change(&e, Change::shape);
        ond::simps::or_to_esf(e);
    });
    m.def("or_to_esf", [](Expr const& e) {
        Expr c(e);
        ond::simps::or_to_esf(c);
        return c;
    });
    m.def("identify_ors_inplace", [](Expr& e) {
        before_change(&e, Change::shape);
        return ond::simps::identify_ors(e);
    });
}

} // namespace ondrex_py
