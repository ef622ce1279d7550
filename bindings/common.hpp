// Shared pieces of the Python layer: the family registration functions called by the module
// body, and the caster that hands an in-place operator's left operand back as itself.
#pragma once

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>


namespace ondrex_py {

namespace py = pybind11;

// The very Python object of an in-place operator's left operand. Returning a reference to the
// core object would not find an ExprSym wrapper again (pybind11 matches the exact bound type),
// so the operand object itself is handed back, typed as T in signatures.
template <class T>
struct Self {
    py::object obj;
};

} // namespace ondrex_py

namespace pybind11::detail {
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
