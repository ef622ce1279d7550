// Substitution: symbols replaced by constants chosen through two bit sets (`subs`) or through
// vectors of symbols and the integers whose bits they take (`subs_vectors`), and whole
// sub-expressions replaced through an ordered map (`subs_map`). None simplifies; all leave every
// visited argument list sorted again.
#pragma once

#include "expr/expr.hpp"
#include "expr/export.hpp"
#include "linalg/bitfield.hpp"
#include "linalg/matrix.hpp"
#include "linalg/vector.hpp"

#include <cstdint>
#include <map>
#include <span>

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
// `subs_map` on each element, first to last.
void subs_map(Vector& v, std::map<Expr, Expr> const& m);
// `subs_map` on each element in storage order.
void subs_map(Matrix& x, std::map<Expr, Expr> const& m);

// The constants of a substitution: symbol index -> value.
using SymbolValues = std::map<std::uint32_t, bool>;

// What subs_vectors assigns: element j of vectors[i], when it is a symbol, takes bit j of bits[i],
// least significant first, positions from 64 on wrapping around to bit j mod 64; other elements
// are skipped. A symbol listed more than once is 1 if any of its positions gives it 1. Throws
// errors::SizeMismatch when the two lists differ in length. O(elements * log(symbols)).
OND_API SymbolValues assignment_of(std::span<Vector const* const> vectors,
                                   std::span<std::uint64_t const> bits);

// Bit sets are indexed by symbol index, so one holding an argument symbol (index 0xF0000000 and
// up) takes 512 MiB. Up to this many bits `subs` goes through two bit sets; beyond, through a map
// from each symbol to its immediate, which visits and re-sorts the tree exactly as the bit sets
// do (a logarithmic lookup per visited node instead of a bit test).
inline constexpr std::uint32_t subs_bitfield_max_bits = std::uint32_t(1) << 26;

// Every symbol of `a` becomes the immediate of its value, as `subs` with bit sets does.
OND_API void subs(Expr& e, SymbolValues const& a);
OND_API void subs(Vector& v, SymbolValues const& a);
OND_API void subs(Matrix& m, SymbolValues const& a);

// subs(x, assignment_of(vectors, bits)): the substitution of the Python subs_vectors, in place.
OND_API void subs_vectors(Expr& e, std::span<Vector const* const> vectors,
                          std::span<std::uint64_t const> bits);
OND_API void subs_vectors(Vector& v, std::span<Vector const* const> vectors,
                          std::span<std::uint64_t const> bits);
OND_API void subs_vectors(Matrix& m, std::span<Vector const* const> vectors,
                          std::span<std::uint64_t const> bits);

} // namespace ond
