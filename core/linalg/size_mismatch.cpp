#include "linalg/size_mismatch.hpp"

namespace ond::errors {

const char* SizeMismatch::what() const noexcept { return "size mismatch"; }

} // namespace ond::errors
