// Python surface of ESF construction: esf and esf_vector.
#include "common.hpp"
#include "families.hpp"

#include "expr/expr.hpp"
#include "linalg/size_mismatch.hpp"
#include "linalg/vector.hpp"

#include <pybind11/typing.h>

#include <cstdint>
#include <vector>

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
    m.def("esf", [](std::uint8_t degree, py::typing::List<Expr> l) {
        ExprArgs a;
        a.reserve(l.size());
        for (py::handle h : l) a.push_back(h.cast<Expr const&>());
        return esf_of(degree, std::move(a));
    });
    m.def("esf_vector", [](std::uint8_t degree, py::typing::List<ond::Vector> l) {
        std::vector<ond::Vector const*> vs;
        vs.reserve(l.size());
        for (py::handle h : l) vs.push_back(&h.cast<ond::Vector const&>());
        ond::Vector r;
        if (vs.empty()) return r;
        std::size_t n = vs[0]->size();
        for (ond::Vector const* v : vs)
            if (v->size() != n) throw ond::errors::SizeMismatch();
        r.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            ExprArgs a;
            a.reserve(vs.size());
            for (ond::Vector const* v : vs) a.push_back((*v)[i]);
            r.push_back(esf_of(degree, std::move(a)));
        }
        return r;
    });
}

} // namespace ondrex_py
