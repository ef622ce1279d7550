// The normal form is the composition of three passes of the library (OR rewriting, ESF
// expansion, simplification); the queries check the shape once, O(size), and then read it.
#include "analyses/anf.hpp"

#include "analyses/input_order.hpp"
#include "simps/or_rewriting.hpp"
#include "simps/simplify.hpp"

#include <algorithm>
#include <cassert>

namespace ond::analyses {

namespace {

bool is_product_of_symbols(Expr const& e) {
    if (!e.is_mul() || e.args().size() < 2) return false;
    ExprArgs const& a = e.args();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!a[i].is_sym() || (i > 0 && a[i - 1].sym_idx() >= a[i].sym_idx())) return false;
    return true;
}

bool is_term(Expr const& e) { return e.is_sym() || is_product_of_symbols(e); }

void require_normal_form(Expr const& e) {
    if (!is_normal_form(e)) throw NotNormalForm();
}

} // namespace

Expr& anf(Expr& e) {
    simps::or_to_esf(e);
    simps::expand_esf(e);
    simps::simplify(e);
    assert(is_normal_form(e));
    return e;
}

Vector& anf(Vector& v) {
    for (Expr& e : v) anf(e);
    return v;
}

bool is_normal_form(Expr const& e) {
    if (e.is_imm() || is_term(e)) return true;
    if (!e.is_add() || e.args().size() < 2) return false;
    ExprArgs const& a = e.args();
    for (std::size_t i = 0; i < a.size(); ++i) {
        bool last_one = i + 1 == a.size() && a[i].is_one();
        if (!last_one && !is_term(a[i])) return false;
        if (i > 0 && !(a[i - 1] < a[i])) return false;
    }
    return true;
}

NotNormalForm::NotNormalForm()
    : std::invalid_argument("expected an expression in algebraic normal form (as anf gives it)") {}

std::span<Expr const> monomials(Expr const& e) {
    require_normal_form(e);
    if (e.is_add()) return e.args().container();
    if (e.is_zero()) return {};
    return {&e, 1};
}

std::span<Expr const> factors(Expr const& monomial) {
    if (monomial.is_mul()) return monomial.args().container();
    if (monomial.is_sym()) return {&monomial, 1};
    return {};
}

int degree(Expr const& e) {
    int d = -1;
    for (Expr const& m : monomials(e)) d = std::max(d, static_cast<int>(factors(m).size()));
    return d;
}

std::vector<std::uint64_t> monomial_masks(Expr const& e, Vector const& inputs) {
    std::span<Expr const> terms = monomials(e);
    InputOrder order(inputs);
    std::size_t words = (order.size() + 63) / 64;
    std::vector<std::uint64_t> r(terms.size() * words, 0);
    for (std::size_t k = 0; k < terms.size(); ++k)
        for (Expr const& f : factors(terms[k])) {
            std::size_t j = order.position(f);
            r[k * words + j / 64] |= std::uint64_t(1) << (j % 64);
        }
    return r;
}

} // namespace ond::analyses
