// Pickling: the value classes travel as their binary form (core expr/serialize.hpp), the classes
// that designate storage inside another object refuse. Either is one call on a class.
//
// A value pickles as copyreg.__newobj__(cls) followed by __setstate__(bytes): the class itself
// is named, so an ExprSym comes back an ExprSym, and the reduction is the same at every
// protocol (pickle's own fallback for protocols 0 and 1 cannot build pybind11 instances).
#pragma once

#include "common.hpp"

#include <string>
#include <string_view>

namespace ondrex_py {

namespace detail {

inline py::tuple newobj_reduction(py::handle self, py::bytes state) {
    py::object newobj = py::module_::import("copyreg").attr("__newobj__");
    return py::make_tuple(newobj, py::make_tuple(py::type::handle_of(self)), std::move(state));
}

[[noreturn]] inline void refuse(py::handle self, const char* hint) {
    std::string cls = py::str(py::type::handle_of(self).attr("__qualname__"));
    throw py::type_error("cannot pickle 'ondrex." + cls + "' object: " + hint);
}

// The value of `self`; an instance made by cls.__new__ alone holds none, which the caster
// refuses (TypeError, common.hpp).
template <class T>
T const& value_of(Self<T> const& self) {
    return self.obj.template cast<T const&>();
}

template <class T>
py::object cls_name() {
    return py::type::of<T>().attr("__qualname__");
}

// Initialises `self`, made by cls.__new__ alone, with the value read from `state`.
template <class T, class Decode>
void set_state(Self<T> const& self, py::bytes const& state, Decode const& decode) {
    auto* inst = reinterpret_cast<py::detail::instance*>(self.obj.ptr());
    auto v_h = inst->get_value_and_holder(py::detail::get_type_info(typeid(T)), false);
    if (v_h.inst == nullptr)
        throw py::type_error("__setstate__ of " + std::string(py::str(cls_name<T>())) +
                             " cannot initialise an object of another ondrex class");
    if (v_h.instance_registered())
        throw py::type_error("__setstate__ cannot change an object that already holds a value");
    v_h.value_ptr() = new T(decode(static_cast<std::string_view>(state)));
    v_h.type->init_instance(v_h.inst, nullptr);
}

} // namespace detail

// Adds __getstate__ (the binary form, as bytes), __setstate__ (the object read back from it),
// __reduce_ex__ and __reduce__, and __copy__ and __deepcopy__ (a copy of the value: nothing is
// shared with the original, whose references stay with it). Damaged bytes raise ValueError.
template <class T, class... Options, class Encode, class Decode>
void def_pickling(py::class_<T, Options...>& cls, Encode encode, Decode decode) {
    auto state = [encode](Self<T> const& self) {
        return py::bytes(encode(detail::value_of(self)));
    };
    cls.def("__getstate__", state);
    // Set as an attribute: a function registered under this name is made a pybind11
    // constructor, whose dispatch aborts the interpreter on an instance of a registered subclass
    // (Expr.__setstate__ called on an ExprSym); this one checks the instance itself. Its
    // signature line names it as Python does, for help() and the stub generator.
    std::string doc = "__setstate__(self: ondrex." + std::string(py::str(detail::cls_name<T>())) +
                      ", arg0: bytes) -> None\n";
    py::options options;
    options.disable_function_signatures();
    cls.attr("__setstate__") = py::cpp_function(
        [decode](Self<T> const& self, py::bytes const& b) { detail::set_state(self, b, decode); },
        py::name("setstate"), py::is_method(cls), py::doc(doc.c_str()));
    options.enable_function_signatures();
    auto reduction = [state](Self<T> const& self) -> py::tuple {
        return detail::newobj_reduction(self.obj, state(self));
    };
    cls.def("__reduce_ex__", [reduction](Self<T> const& self, int /*protocol*/) -> py::tuple {
        return reduction(self);
    });
    cls.def("__reduce__", reduction);
    cls.def("__copy__", [](Self<T> const& self) { return T(detail::value_of(self)); });
    cls.def("__deepcopy__",
            [](Self<T> const& self, py::handle /*memo*/) { return T(detail::value_of(self)); });
}

// Adds __reduce_ex__ and __reduce__ that raise TypeError with `hint` (what to pickle instead),
// for the views and references whose meaning is their owner's storage.
template <class T, class... Options>
void def_no_pickling(py::class_<T, Options...>& cls, const char* hint) {
    // Typed as the reductions they refuse to make, as object's own are.
    cls.def("__reduce_ex__", [hint](Self<T> const& self, int /*protocol*/) -> py::tuple {
        detail::refuse(self.obj, hint);
    });
    cls.def("__reduce__",
            [hint](Self<T> const& self) -> py::tuple { detail::refuse(self.obj, hint); });
}

} // namespace ondrex_py
