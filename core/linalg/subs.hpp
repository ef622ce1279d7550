// Substitution: symbols replaced by constants chosen through two bit sets (`subs`), and whole
// sub-expressions replaced through an ordered map (`subs_map`). Neither simplifies; both leave
// every visited argument list sorted again.
#pragma once

#include "expr/expr.hpp"
#include "expr/export.hpp"
#include "linalg/bitfield.hpp"
#include "linalg/matrix.hpp"
#include "linalg/vector.hpp"

#include <map>

namespace ond {

// Every symbol s with bit s of `mask` set becomes the immediate bit s of `values`.
OND_API void subs(Expr& e, bitfield const& mask, bitfield const& values);
// `subs` on each element, first to last.
OND_API void subs(Vector& v, bitfield const& mask, bitfield const& values);
// `subs` on each element in storage order.
OND_API void subs(Matrix& m, bitfield const& mask, bitfield const& values);

// Replaces the outermost sub-expressions equal to a key by a copy of its value; neither the
// replaced part nor the inserted value is visited further.
void subs_map(Expr& e, std::map<Expr, Expr> const& m);

} // namespace ond
