// The elimination of Matrix carried out on expressions only, without the packed path for
// matrices of immediates. Internal: the packed path must agree with it, and tests check that.
#pragma once

#include "linalg/matrix.hpp"

#include <vector>

namespace ond {

// Matrix::T_fact, every decision taken on the expressions themselves.
unsigned long T_fact_exprs(Matrix const& a, Matrix& T, Matrix& U, std::vector<unsigned long>& perm);
// The reduction and back substitution of Matrix::inverse on the expressions themselves, whatever
// they hold: only entries equal to the immediate 1 count, every other entry counts as 0.
Matrix inverse_exprs(Matrix const& a);

} // namespace ond
