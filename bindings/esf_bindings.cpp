// Python surface of ESF construction: esf and esf_vector.
#include "common.hpp"
#include "families.hpp"

#include "expr/expr.hpp"

#include <cstdint>

using ond::Expr;
using ond::ExprArgs;

namespace ondrex_py {

namespace {

// The ESF over the given arguments, sorted first (duplicates kept).
Expr esf_of(std::uint8_t degree, ExprArgs args) {
    args.sort();
    return Expr(ond::ExprESF(degree, std::move(args)));
}

} // namespace

void bind_esf(py::module_& m) {
    m.def("esf", [](std::uint8_t degree, py::list l) {
        ExprArgs a;
        a.reserve(l.size());
        for (py::handle h : l) a.push_back(h.cast<Expr const&>());
        return esf_of(degree, std::move(a));
    });
}

} // namespace ondrex_py
