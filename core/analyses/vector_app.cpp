// Cost: set and the call build an ordered map of the n inputs (n log n), then visit every node
// of the body once, with one map lookup (log n) per node.
#include "analyses/vector_app.hpp"

#include "expr/symbols.hpp"
#include "linalg/subs.hpp"

#include <cstdint>
#include <map>
#include <utility>

namespace ond {

namespace {

// in[j] -> _j, built before the body changes since `in` may be the body itself.
std::map<Expr, Expr> to_args_map(Vector const& in) {
    std::map<Expr, Expr> m;
    for (Vector::size_type j = 0; j < in.size(); ++j)
        m.emplace(in[j], arg_symbol(static_cast<std::uint32_t>(j))); // an earlier key stays
    return m;
}

void subs_all(Vector& v, std::map<Expr, Expr> const& m) {
    for (Expr& e : v) subs_map(e, m);
}

} // namespace

VectorApp::VectorApp(Vector const& in, Vector const& out) { set(in, out); }

VectorApp VectorApp::from_body(Vector body) {
    VectorApp a;
    a.body_ = std::move(body);
    return a;
}

void VectorApp::set(Vector const& in, Vector const& out) {
    auto m = to_args_map(in);
    if (&out != &body_) body_ = out;
    subs_all(body_, m);
}

void VectorApp::set(Vector const& in, Vector&& out) {
    auto m = to_args_map(in);
    if (&out != &body_) body_ = std::move(out);
    subs_all(body_, m);
}

Vector VectorApp::operator()(Vector const& v) const {
    std::map<Expr, Expr> m;
    for (Vector::size_type j = 0; j < v.size(); ++j)
        m.emplace_hint(m.end(), arg_symbol(static_cast<std::uint32_t>(j)), v[j]);
    Vector r(body_);
    subs_all(r, m);
    return r;
}

} // namespace ond
