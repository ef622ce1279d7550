#include "common.hpp"

namespace ondrex_py {

void require_value(py::handle src, std::type_info const& cls) {
    auto const* tinfo = py::detail::get_type_info(cls);
    if (tinfo == nullptr || !PyObject_TypeCheck(src.ptr(), tinfo->type)) return;
    // An instance is registered once it holds a value: made by a constructor, read back by
    // __setstate__, or handed out as a reference. Simple layout: one flag for the instance.
    auto* inst = reinterpret_cast<py::detail::instance*>(src.ptr());
    if (!inst->get_value_and_holder().instance_registered())
        throw py::type_error("the ondrex object holds no value (it was not initialised)");
}

} // namespace ondrex_py
