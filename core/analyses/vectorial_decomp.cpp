// Cost: one pass over the top-level arguments of every output, one linear scan of the inputs
// per linear term (so linear terms x n_in comparisons), then the rewriting of the non-linear
// parts over argument symbols (one map lookup per node). The matrix, the constants and the
// non-linear parts are allocated once with their final sizes.
#include "analyses/vectorial_decomp.hpp"

#include "analyses/aff_app.hpp"
#include "analyses/vector_app.hpp"
#include "expr/collapse.hpp"
#include "expr/print.hpp"
#include "linalg/matrix.hpp"

#include <algorithm>
#include <utility>

namespace ond::analyses {

UnknownSymbol::UnknownSymbol(Expr const& e) : msg_("Unknown symbol " + expr_text(e) + ".") {}

const char* UnknownSymbol::what() const noexcept { return msg_.c_str(); }

Vector::const_iterator find_expr(Vector const& v, Expr const& e) {
    return std::find(v.begin(), v.end(), e);
}

std::size_t find_expr_idx(Vector const& v, Expr const& e) {
    auto it = find_expr(v, e);
    return it == v.end() ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(it - v.begin());
}

namespace {

// Sorted insertion with duplicates kept. Arguments arrive in ascending order, so appending is
// the common case; anything else takes the searched insertion.
void insert_sorted(ExprArgs& list, Expr const& e) {
    if (list.empty() || !(e < list.back()))
        list.push_back(e);
    else
        list.insert(e);
}

// Splits output e into linear symbols (into `linear`), its constant and its non-linear part.
// Returns whether the non-linear part is a collected sum or product, to be collapsed.
bool classify(Expr const& e, ExprArgs& linear, Expr& cst, Expr& nl) {
    switch (e.type()) {
    case expr_type_id::add: {
        ExprArgs const& args = e.args();
        auto end = args.end();
        // Only the last argument can be the immediate of a canonical sum.
        if (!args.empty() && args.back().is_imm()) {
            cst = args.back();
            --end;
        }
        for (auto it = args.begin(); it != end; ++it)
            insert_sorted(it->is_sym() ? linear : nl.args(), *it);
        return true;
    }
    case expr_type_id::mul: nl = e; return true;
    case expr_type_id::sym: insert_sorted(linear, e); return true;
    case expr_type_id::imm: cst = e; return true;
    // A disjunction or an ESF has no linear term of its own: all of it is non-linear, kept
    // whole (collapsing an ESF would change its value), so that calling the result gives the
    // output back.
    case expr_type_id::or_:
    case expr_type_id::esf: nl = e; return false;
    }
    return false;
}

// A sum of no term is 0, a node of one argument is that argument.
void collapse(Expr& nl) {
    if (nl.args().empty())
        nl = Expr::imm(false);
    else
        collapse_single(nl);
}

} // namespace

App vectorial_decomp(Vector const& inputs, Vector const& outputs) {
    std::size_t const n_in = inputs.size();
    std::size_t const n_out = outputs.size();
    Vector m(n_out * n_in);
    Vector k(n_out);
    Vector nl(n_out, Expr(expr_type_id::add, ExprArgs()));
    ExprArgs linear;
    // Classifying cannot fail, so looking up each output's linear terms right after it is
    // classified meets the first unknown symbol in the same order as classifying all first.
    for (std::size_t i = 0; i < n_out; ++i) {
        linear.clear();
        bool collected = classify(outputs[i], linear, k[i], nl[i]);
        for (Expr const& s : linear) {
            std::size_t j = find_expr_idx(inputs, s);
            if (j == static_cast<std::size_t>(-1)) throw UnknownSymbol(s);
            m[i * n_in + j] = Expr::imm(true);
        }
        if (collected) collapse(nl[i]);
    }
    AffApp affine(Matrix::from_storage(n_in, std::move(m)), std::move(k));
    VectorApp body;
    body.set(inputs, std::move(nl));
    return App(std::move(body), std::move(affine));
}

} // namespace ond::analyses
