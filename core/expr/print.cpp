#include "expr/print.hpp"

#include <ostream>
#include <sstream>

namespace ond {

namespace {
void print_args(std::ostream& out, ExprArgs const& a, const char* sep, Symbols const* syms) {
    if (a.empty()) {
        out << "(empty)";
        return;
    }
    bool first = true;
    for (Expr const& x : a) {
        if (!first) out << sep;
        first = false;
        print_expr(out, x, syms);
    }
}
} // namespace

void print_expr(std::ostream& out, Expr const& e, Symbols const* syms) {
    switch (e.type()) {
    case expr_type_id::add:
    case expr_type_id::mul:
    case expr_type_id::or_: {
        if (e.args().empty()) {
            out << "(empty)";
            return;
        }
        const char* sep = e.is_add() ? " + " : e.is_mul() ? " * " : " | ";
        out << '(';
        print_args(out, e.args(), sep, syms);
        out << ')';
        return;
    }
    case expr_type_id::esf:
        out << "ESF(" << unsigned(e.esf_degree()) << ", ";
        print_args(out, e.args(), ", ", syms);
        out << ')';
        return;
    case expr_type_id::sym: {
        if (pp_print_sym) out << "Sym(";
        const char* n = syms ? syms->name(ExprSym(e.sym_idx())) : nullptr;
        if (n)
            out << n;
        else
            out << e.sym_idx();
        if (pp_print_sym) out << ')';
        return;
    }
    case expr_type_id::imm: out << (e.imm_value() ? '1' : '0'); return;
    }
}

std::string expr_text(Expr const& e) {
    std::ostringstream s;
    print_expr(s, e, &symbols());
    return s.str();
}

} // namespace ond
