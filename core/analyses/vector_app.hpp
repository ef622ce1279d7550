// VectorApp: a general application given by one expression per output, written over the
// argument symbols _0, _1, ... that stand for the inputs.
#pragma once

#include "expr/export.hpp"
#include "linalg/vector.hpp"

namespace ond {

class OND_API VectorApp {
public:
    // No output.
    VectorApp() = default;
    VectorApp(Vector const& in, Vector const& out);
    // The application whose body, over the argument symbols, is `body` as it is.
    static VectorApp from_body(Vector body);

    // The body becomes `out` with every sub-expression equal to in[j] replaced by the argument
    // symbol j; for an input repeated in `in`, its first position wins.
    void set(Vector const& in, Vector const& out);
    void set(Vector const& in, Vector&& out);

    // The body with each argument symbol j below v.size() replaced by v[j]; other argument
    // symbols stay. Nothing is simplified.
    Vector operator()(Vector const& v) const;

    Vector const& vector() const { return body_; }

private:
    Vector body_;
};

} // namespace ond
