// One registration function per row group of the module body, in the order they are called.
#pragma once

#include "common.hpp"

namespace ondrex_py {

namespace py = pybind11;

void bind_expr_type(py::module_& m);
void bind_expr_args(py::module_& m);
void bind_expr(py::module_& m);
void bind_expr_sym(py::module_& m);
void bind_expr_with_args(py::module_& m);
void bind_vector(py::module_& m);
void bind_matrix(py::module_& m);
void bind_apps(py::module_& m);
void bind_symbol_containers(py::module_& m);
void bind_imm(py::module_& m);
void bind_symbol_functions(py::module_& m);
void bind_esf(py::module_& m);
void bind_simplify(py::module_& m);
void bind_subs(py::module_& m);
void bind_expand_esf(py::module_& m);
void bind_or_rewriting(py::module_& m);
void bind_vector_not_immediate(py::module_& m);
void bind_set_read_only(py::module_& m);
void bind_analyses(py::module_& analyses);
void bind_algos(py::module_& algos);
// Additions beyond the interface, registered after all of it.
void bind_normal_forms(py::module_& m);
void bind_wide_words(py::module_& m);
void bind_parse(py::module_& m);

} // namespace ondrex_py
