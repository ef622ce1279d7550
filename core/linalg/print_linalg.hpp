// Text forms of vectors and matrices, one element per expression text. Internal to the core.
#pragma once

#include "expr/symbols.hpp"
#include "linalg/matrix.hpp"
#include "linalg/vector.hpp"

#include <iosfwd>
#include <string>

namespace ond {

// "Vec([", then one element per line (all but the last followed by ","), then "])".
void print_vector(std::ostream& out, Vector const& v, Symbols const* syms);
// "Mat([", then one "[a, b, ...]" per line, then "])"; "Mat(empty)" without elements.
void print_matrix(std::ostream& out, Matrix const& m, Symbols const* syms);

// The printers with the global symbol table, into a string.
std::string vector_text(Vector const& v);
std::string matrix_text(Matrix const& m);

} // namespace ond
