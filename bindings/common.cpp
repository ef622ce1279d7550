#include "common.hpp"

namespace ondrex_py {

void throw_no_value() {
    throw py::type_error("the ondrex object holds no value (it was not initialised)");
}

} // namespace ondrex_py
