// The algebraic normal form: an expression rewritten as the exclusive-or of distinct products of
// distinct symbols (and the constant 1), in one canonical order, so that two expressions are the
// same Boolean function exactly when their normal forms are equal. Also the queries that read a
// normal form: its monomials, its degree and the monomials as masks over chosen inputs.
#pragma once

#include "expr/expr.hpp"
#include "expr/export.hpp"
#include "linalg/vector.hpp"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace ond::analyses {

// Rewrites `e` into its normal form and returns it: Or nodes become sums of ESF nodes, ESF nodes
// are expanded, then the tree is simplified. The expansion is exponential in the width of Or and
// ESF nodes (an Or of k arguments has up to 2^k - 1 monomials); an Or of more than 255 arguments
// throws std::length_error before anything changes.
OND_API Expr& anf(Expr& e);
// anf on every element, first to last.
OND_API Vector& anf(Vector& v);

// Whether `e` has the shape anf leaves: the immediate 0 or 1, a symbol, a product of two or
// more symbols in ascending index order, or a sum of two or more such terms (the immediate 1
// last) in ascending order without repeats. O(size).
OND_API bool is_normal_form(Expr const& e);

// What the queries below throw for an expression that is not in normal form.
class OND_API NotNormalForm : public std::invalid_argument {
public:
    NotNormalForm();
};

// The monomials of a normal form: the terms of a sum, else the expression itself; none for 0.
// Throws NotNormalForm.
OND_API std::span<Expr const> monomials(Expr const& e);
// The symbols of one monomial: none for the immediate 1.
OND_API std::span<Expr const> factors(Expr const& monomial);
// The algebraic degree of a normal form: the most symbols in one monomial, 0 for the constant 1
// and -1 for the zero function. Throws NotNormalForm.
OND_API int degree(Expr const& e);

// The monomials of a normal form as masks over the inputs (distinct symbols): bit j of a mask
// is set when input j is a factor. Each mask takes ceil(n / 64) words, least significant word
// first, the masks one after the other in the order of `monomials`. Throws NotNormalForm,
// std::invalid_argument for inputs that are not distinct symbols, UnknownSymbol for a factor
// that is no input. O(size log n).
OND_API std::vector<std::uint64_t> monomial_masks(Expr const& e, Vector const& inputs);

} // namespace ond::analyses
