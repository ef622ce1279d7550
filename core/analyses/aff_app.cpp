#include "analyses/aff_app.hpp"

#include <utility>

namespace ond {

const char* AffApp::InvalidSizes::what() const noexcept {
    return "incompatible sizes of M and V: expected M a square matrix of the size of V.";
}

AffApp::AffApp(Matrix const& M, Vector const& cst) : M_(M), cst_(cst) { check_sizes(); }

AffApp::AffApp(Matrix&& M, Vector&& cst) : M_(std::move(M)), cst_(std::move(cst)) {
    check_sizes();
}

void AffApp::check_sizes() const {
    if (M_.nlines() != cst_.size()) throw InvalidSizes();
}

Vector AffApp::operator()(Vector const& v) const { return M_ * v + cst_; }

} // namespace ond
