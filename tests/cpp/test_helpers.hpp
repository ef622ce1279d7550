// Builders shared by the GoogleTest files: named symbols, symbols by index, immediates, raw nodes
// that take their argument list exactly as given (unsorted, with duplicates, of any length) and
// the text form for failure messages.
#pragma once

#include "expr/expr.hpp"
#include "expr/print.hpp"
#include "expr/symbols.hpp"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ond::test {

// The named symbol `n`, registered in the symbol table on first use.
inline Expr sym(const char* n) { return symbol(n); }

// The symbol of index i, whatever name it has (if any): for code that keys on indices.
inline Expr var(std::uint32_t i) { return Expr::sym(i); }

inline Expr imm(bool v) { return Expr::imm(v); }

// A node of kind `t` over `a` in the given order; nothing is sorted or simplified.
inline Expr raw(expr_type_id t, std::vector<Expr> a) { return Expr(t, ExprArgs(std::move(a))); }

// An ESF node of degree `d` over `a` as given, without the construction's rewriting of degree 1
// and of a degree equal to the argument count.
inline Expr raw_esf(std::uint8_t d, std::vector<Expr> a) {
    Expr e = raw(expr_type_id::esf, std::move(a));
    e.set_esf_degree(d);
    return e;
}

inline std::string text(Expr const& e) { return expr_text(e); }

} // namespace ond::test
