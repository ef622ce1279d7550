// The module body: every name of ondrex, registered in its fixed order. Overloads of one name
// are tried by pybind11 in registration order, so this order decides dispatch.
#include "families.hpp"

namespace py = pybind11;
using namespace ondrex_py;

PYBIND11_MODULE(ondrex, m, py::multiple_interpreters::not_supported()) {
    // "ondrel", not "ondrex", is kept as the interface defines it; tests/test_module.py checks it.
    m.doc() = "ondrel python bindings";
    bind_expr_type(m);            // ExprType
    bind_expr_args(m);            // ExprArgs
    bind_expr(m);                 // Expr
    bind_expr_sym(m);             // ExprSym
    bind_expr_with_args(m);       // ExprWithArgs
    bind_vector(m);               // Vector
    bind_matrix(m);               // Matrix
    bind_apps(m);                 // AffApp, VectorApp, App
    bind_symbol_containers(m);    // SymbolsSet, SymbolsHist, SymbolsHistValue
    bind_imm(m);                  // imm
    bind_symbol_functions(m);     // symbol, arg_symbol
    bind_esf(m);                  // esf, esf_vector
    bind_simplify(m);             // simplify_inplace, simplify
    bind_subs(m);                 // subs_vectors, subs_exprs_inplace, subs_exprs
    bind_expand_esf(m);           // expand_esf_inplace, expand_esf
    bind_or_rewriting(m);         // or_to_esf_inplace, or_to_esf, identify_ors_inplace
    bind_vector_not_immediate(m); // VectorNotImmediate
    bind_set_read_only(m);        // SetReadOnly
    auto analyses = m.def_submodule("analyses");
    bind_analyses(analyses); // vectorial_decomp
    auto algos = m.def_submodule("algos");
    bind_algos(algos); // draw_without_replacement
    // Additions beyond the interface.
    bind_normal_forms(m); // anf, truth tables, Expr.degree, ...; or_to_esf(Vector)
    bind_wide_words(m);   // Vector(list), Vector.from_int, Vector.to_int
    bind_parse(m);        // parse
    m.attr("__version__") = OND_VERSION;
}
