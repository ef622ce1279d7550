#include "analyses/app.hpp"

#include <utility>

namespace ond {

App::App(VectorApp const& nl, AffApp const& affine)
    : nl_(nl), affine_(affine.matrix(), affine.cst()) {}

App::App(VectorApp&& nl, AffApp&& affine)
    : nl_(std::move(nl)), affine_(std::move(affine)) {
    // A moved AffApp was made by its constructor, so its sizes already agree.
}

Vector App::operator()(Vector const& v) const {
    Vector t = affine_(v);
    Vector r = nl_(v);
    return r + t;
}

} // namespace ond
