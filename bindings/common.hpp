// Shared pieces of the Python layer: the caster that hands an in-place operator's left operand
// back as itself, and the casters of the bound classes, which refuse objects that hold no value
// and settle an Expr's batched terms (pending_terms.hpp) before any function reads it.
#pragma once

#include "expr/expr.hpp"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace ond {
class Vector;
class Matrix;
class VectorNotImmediate;
class SymbolsSet;
class SymbolsHist;
class AffApp;
class VectorApp;
class App;
} // namespace ond
template <class T>
class SetReadOnly;

namespace ondrex_py {

namespace py = pybind11;

// The very Python object of an in-place operator's left operand. Returning a reference to the
// core object would not find an ExprSym wrapper again (pybind11 matches the exact bound type),
// so the operand object itself is handed back, typed as T in signatures.
template <class T>
struct Self {
    py::object obj;
};

class Dependent;

// The classes the module binds. Their casters check the object first: `cls.__new__(cls)` makes an
// object without a value, which pybind11 would fill with uninitialised memory on first use.
template <class T>
struct bound_class
    : std::bool_constant<std::is_base_of_v<Dependent, T> || // the iterators
                         std::is_same_v<T, ond::Expr> || std::is_same_v<T, ond::ExprSym> ||
                         std::is_same_v<T, ond::ExprArgs> || std::is_same_v<T, ond::Vector> ||
                         std::is_same_v<T, ond::Matrix> ||
                         std::is_same_v<T, ond::VectorNotImmediate> ||
                         std::is_same_v<T, ond::SymbolsSet> || std::is_same_v<T, ond::SymbolsHist> ||
                         std::is_same_v<T, ond::AffApp> || std::is_same_v<T, ond::VectorApp> ||
                         std::is_same_v<T, ond::App> ||
                         std::is_same_v<T, ::SetReadOnly<unsigned long>>> {};

[[noreturn]] void throw_no_value();

// Raises TypeError when `src` is an instance of `T`'s class made without a value. An instance is
// registered once it holds a value: made by a constructor, read back by __setstate__, or handed
// out as a reference (simple layout: one flag for the instance).
template <class T>
void require_value(py::handle src) {
    // Looked up once the class exists; every load after that is a type check and a flag.
    static PyTypeObject* type = nullptr;
    if (type == nullptr) {
        auto const* tinfo = py::detail::get_type_info(typeid(T));
        if (tinfo == nullptr) return;
        type = tinfo->type;
    }
    if (!PyObject_TypeCheck(src.ptr(), type)) return;
    auto* inst = reinterpret_cast<py::detail::instance*>(src.ptr());
    if (!inst->get_value_and_holder().instance_registered()) throw_no_value();
}

// Number of Expr objects with batched terms waiting (pending_terms.cpp).
extern std::size_t pending_objects;
void settle_pending(ond::Expr const& e);

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

// Every function that receives a bound object from Python, whatever its signature (self,
// operand, list element, map key), receives it through here.
template <class T>
class checked_caster : public type_caster_base<T> {
public:
    bool load(handle src, bool convert) {
        ondrex_py::require_value<T>(src);
        if (!type_caster_base<T>::load(src, convert)) return false;
        if constexpr (std::is_same_v<T, ond::Expr>)
            if (ondrex_py::pending_objects != 0 && this->value != nullptr)
                ondrex_py::settle_pending(*static_cast<ond::Expr const*>(this->value));
        return true;
    }
};

template <class T>
class type_caster<T, std::enable_if_t<ondrex_py::bound_class<T>::value>>
    : public checked_caster<T> {};

// The enum's own caster, with the same check.
template <>
class type_caster<ond::expr_type_id> : public type_caster_enum_type<ond::expr_type_id> {
public:
    bool load(handle src, bool convert) {
        ondrex_py::require_value<ond::expr_type_id>(src);
        return type_caster_enum_type<ond::expr_type_id>::load(src, convert);
    }
};

// A histogram entry is a bound class of its own, not a Python tuple.
template <>
class type_caster<std::pair<ond::ExprSym, unsigned int>>
    : public checked_caster<std::pair<ond::ExprSym, unsigned int>> {};
} // namespace pybind11::detail
