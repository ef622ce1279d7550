// The kinds of expression node. Their numeric order is the first key of the total order on
// expressions, so sorted argument lists hold Or nodes first and immediates last.
#pragma once

#include <cstdint>

namespace ond {

enum class expr_type_id : std::uint8_t { or_ = 0, esf = 1, mul = 2, add = 3, sym = 4, imm = 5 };

// "Or", "SEF", "Mul", "Add", "Sym", "Imm"; "" for a tag outside the model. "SEF" (not the "ESF"
// of the text form) is kept as the interface defines it; messages and Expr.name() show it.
const char* expr_type_name(expr_type_id t);

} // namespace ond
