// App: an application split into a non-linear part (a VectorApp) and an affine part (an
// AffApp); its value is the sum of both.
#pragma once

#include "analyses/aff_app.hpp"
#include "analyses/vector_app.hpp"
#include "expr/export.hpp"
#include "linalg/matrix.hpp"
#include "linalg/vector.hpp"

namespace ond {

class OND_API App {
public:
    // The affine part is taken through the AffApp size test (InvalidSizes). The sizes of the
    // two parts need not agree; a mismatch shows when the application is called.
    App(VectorApp const& nl, AffApp const& affine);
    App(VectorApp&& nl, AffApp&& affine);

    // nl(v) + affine(v); SizeMismatch when the parts or v do not fit.
    Vector operator()(Vector const& v) const;

    VectorApp const& nl() const { return nl_; }
    AffApp const& affine() const { return affine_; }
    Matrix const& matrix() const { return affine_.matrix(); }
    Vector const& cst() const { return affine_.cst(); }

private:
    VectorApp nl_;
    AffApp affine_;
};

} // namespace ond
