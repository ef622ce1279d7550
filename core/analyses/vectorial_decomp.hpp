// Splits a vectorial Boolean function into its constant terms, its linear terms (a 0/1 matrix)
// and its non-linear part (a VectorApp over argument symbols), returned as an App.
#pragma once

#include "analyses/app.hpp"
#include "expr/expr.hpp"
#include "expr/export.hpp"
#include "linalg/vector.hpp"

#include <cstddef>
#include <exception>
#include <string>

namespace ond::analyses {

// A linear term of an output is not among the inputs.
class OND_API UnknownSymbol : public std::exception {
public:
    // "Unknown symbol <text of e>."
    explicit UnknownSymbol(Expr const& e);
    const char* what() const noexcept override;

private:
    std::string msg_;
};

// Outputs are read as algebraic normal forms over the inputs: for each output, the symbols of
// its top-level exclusive-or that are inputs give its matrix line, its immediate the constant,
// and the rest its non-linear part. An output that is a product, a disjunction or an ESF is
// wholly non-linear. Throws UnknownSymbol for a linear symbol that is no input, then
// AffApp::InvalidSizes for outputs without inputs.
OND_API App vectorial_decomp(Vector const& inputs, Vector const& outputs);

// Index of the first element of v equal to e, or (size_t)-1.
OND_API std::size_t find_expr_idx(Vector const& v, Expr const& e);
// Position of the first element of v equal to e, or v.end().
OND_API Vector::const_iterator find_expr(Vector const& v, Expr const& e);

} // namespace ond::analyses
