// A Python object taken as it is, shown in signatures (and so in the typing stub) as the typing
// type T, for example a py::typing::Callable. Unlike T itself, it accepts any object and leaves
// the checks to its use, as a plain object parameter does.
#pragma once

#include <pybind11/pybind11.h>
#include <pybind11/typing.h>

namespace ondrex_py {

template <class T>
struct TypedObject {
    pybind11::object obj;
};

} // namespace ondrex_py

namespace pybind11::detail {
template <class T>
struct type_caster<ondrex_py::TypedObject<T>> {
    PYBIND11_TYPE_CASTER(ondrex_py::TypedObject<T>, make_caster<T>::name);
    bool load(handle src, bool) {
        value.obj = reinterpret_borrow<object>(src);
        return true;
    }
    static handle cast(ondrex_py::TypedObject<T> const& t, return_value_policy, handle) {
        return t.obj.inc_ref();
    }
};
} // namespace pybind11::detail
