// The binary form (expr/serialize.hpp) of the applications: an AffApp is its matrix and its
// constant, a VectorApp its body, an App its non-linear part and then its affine part.
#pragma once

#include "analyses/aff_app.hpp"
#include "analyses/app.hpp"
#include "analyses/vector_app.hpp"
#include "expr/export.hpp"

#include <string>
#include <string_view>

namespace ond {

OND_API std::string encode(AffApp const& a);
OND_API AffApp decode_aff_app(std::string_view bytes);
OND_API std::string encode(VectorApp const& a);
OND_API VectorApp decode_vector_app(std::string_view bytes);
OND_API std::string encode(App const& a);
OND_API App decode_app(std::string_view bytes);

} // namespace ond
