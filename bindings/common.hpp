// Shared pieces of the Python layer: the caster that hands an in-place operator's left operand
// back as itself, and the Expr caster that settles batched terms (pending_terms.hpp) before any
// function reads the expression.
#pragma once

#include "expr/expr.hpp"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>

namespace ondrex_py {

namespace py = pybind11;

// The very Python object of an in-place operator's left operand. Returning a reference to the
// core object would not find an ExprSym wrapper again (pybind11 matches the exact bound type),
// so the operand object itself is handed back, typed as T in signatures.
template <class T>
struct Self {
    py::object obj;
};

// Number of Expr objects with batched terms waiting (pending_terms.cpp).
extern std::size_t pending_objects;
void settle_pending(ond::Expr const& e);


} // namespace ondrex_py

namespace pybind11::detail {
// Every function that receives an Expr from Python, whatever its signature (self, operand, list
// element, map key), receives it through here, so batched terms are merged before it reads.
template <>
class type_caster<ond::Expr> : public type_caster_base<ond::Expr> {
public:
    bool load(handle src, bool convert) {
        if (!type_caster_base<ond::Expr>::load(src, convert)) return false;
        if (ondrex_py::pending_objects != 0 && value != nullptr)
            ondrex_py::settle_pending(*static_cast<ond::Expr const*>(value));
        return true;
    }
};

template <class T>
struct type_caster<ondrex_py::Self<T>> {
    PYBIND11_TYPE_CASTER(ondrex_py::Self<T>, make_caster<T>::name);
    bool load(handle src, bool) {
        if (!isinstance<T>(src)) return false;
        value.obj = reinterpret_borrow<object>(src);
        return true;
    }
    static handle cast(ondrex_py::Self<T> const& s, return_value_policy, handle) {
        return s.obj.inc_ref();
    }
};
} // namespace pybind11::detail
