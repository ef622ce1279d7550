// The binary form (expr/serialize.hpp) of vectors and matrices: a vector is its length and its
// elements, a matrix its column and line counts and its elements in storage order. The parts
// are also the pieces of the applications' forms.
#pragma once

#include "expr/export.hpp"
#include "expr/serialize.hpp"
#include "linalg/matrix.hpp"
#include "linalg/vector.hpp"

#include <string>
#include <string_view>

namespace ond {

// The symbols, then the body, of one part; the Decoder reads the parts in the written order.
OND_API void collect(Encoder& w, Vector const& v);
OND_API void write(Encoder& w, Vector const& v);
OND_API Vector read_vector(Decoder& r);
OND_API void collect(Encoder& w, Matrix const& m);
OND_API void write(Encoder& w, Matrix const& m);
OND_API Matrix read_matrix(Decoder& r);

OND_API std::string encode(Vector const& v);
OND_API Vector decode_vector(std::string_view bytes);
OND_API std::string encode(Matrix const& m);
OND_API Matrix decode_matrix(std::string_view bytes);

} // namespace ond
