// Expression arithmetic over GF(2): exclusive-or, conjunction and disjunction with one level of
// canonicalisation (cancellation, idempotence, absorption of immediates, merging of same-kind
// nodes). Merging a list of m into one of n costs O(n + m) moves (see SortedVector).
#include "expr/collapse.hpp"
#include "expr/expr.hpp"

#include <functional>
#include <iterator>
#include <type_traits>

namespace ond {

namespace {

bool is_direct_arg(Expr const& node, Expr const& x) {
    if (!node.has_args() || node.args().empty()) return false;
    Expr const* first = &node.args()[0];
    Expr const* last = first + node.args().size();
    std::less<Expr const*> lt;
    return !lt(&x, first) && lt(&x, last);
}

ExprArgs copy_with_room(ExprArgs const& src, std::size_t extra) {
    ExprArgs r;
    r.reserve(src.size() + extra);
    r.container().insert(r.end(), src.begin(), src.end());
    return r;
}

ExprArgs pair_sorted(Expr const& x, Expr const& y) {
    ExprArgs r;
    r.reserve(2);
    if (y < x) {
        r.push_back(y);
        r.push_back(x);
    } else {
        r.push_back(x);
        r.push_back(y);
    }
    return r;
}

// Shared by conjunction and disjunction: `absorb` is the immediate that swallows the node.
Expr combine_set(Expr const& a, Expr const& b, expr_type_id kind, bool absorb) {
    if (&a == &b || a == b) return a;
    bool a_lo = a.type() <= b.type();
    Expr const& lo = a_lo ? a : b;
    Expr const& hi = a_lo ? b : a;
    if (hi.is_imm()) return hi.imm_value() == absorb ? Expr::imm(absorb) : lo;
    if (a.type() == kind && b.type() == kind) {
        ExprArgs r = ExprArgs::merged_union(a.args(), b.args().begin(), b.args().end());
        return node_or_single(kind, std::move(r));
    }
    if (a.type() == kind || b.type() == kind) {
        Expr const& n = a.type() == kind ? a : b;
        Expr const& o = a.type() == kind ? b : a;
        ExprArgs r = copy_with_room(n.args(), 1);
        r.insert_unique(o);
        return node_or_single(kind, std::move(r));
    }
    return Expr(kind, pair_sorted(lo, hi));
}

template <class V>
void add_assign(Expr& a, V&& b) {
    if (is_direct_arg(a, b)) {
        Expr tmp(b);
        add_assign(a, std::move(tmp));
        return;
    }
    switch (b.type()) {
    case expr_type_id::add:
        if (&a == &b) {
            a = Expr::imm(false);
            return;
        }
        if constexpr (std::is_rvalue_reference_v<V&&>)
            a.args().merge_exclusive(std::make_move_iterator(b.args().begin()),
                                     std::make_move_iterator(b.args().end()));
        else
            a.args().merge_exclusive(b.args().begin(), b.args().end());
        break;
    case expr_type_id::imm:
        if (b.imm_value()) a.args().toggle(std::forward<V>(b));
        break;
    default: a.args().toggle(std::forward<V>(b)); break;
    }
    collapse_single(a);
}

// In-place conjunction (kind Mul, absorb 0) or disjunction (kind Or, absorb 1) into a node of
// that kind. A node never shrinks here, so no collapse is needed.
template <class V>
void set_assign(Expr& a, V&& b, expr_type_id kind, bool absorb) {
    if (is_direct_arg(a, b)) {
        Expr tmp(b);
        set_assign(a, std::move(tmp), kind, absorb);
        return;
    }
    if (b.is_imm()) {
        if (b.imm_value() == absorb) a = Expr::imm(absorb);
        return;
    }
    if (b.type() == kind) {
        if (&a == &b) return;
        if constexpr (std::is_rvalue_reference_v<V&&>)
            a.args().merge_union(std::make_move_iterator(b.args().begin()),
                                 std::make_move_iterator(b.args().end()));
        else
            a.args().merge_union(b.args().begin(), b.args().end());
        return;
    }
    a.args().insert_unique(std::forward<V>(b));
}

} // namespace

Expr Expr::operator+(Expr const& b) const {
    Expr const& a = *this;
    if (&a == &b || a == b) return Expr::imm(false);
    if (a.is_imm() && b.is_imm()) return Expr::imm(a.imm_value() != b.imm_value());
    if (a.is_add() && b.is_add()) {
        ExprArgs r = ExprArgs::merged_exclusive(a.args(), b.args().begin(), b.args().end());
        if (r.empty()) return Expr::imm(false);
        return node_or_single(expr_type_id::add, std::move(r));
    }
    bool a_lo = a.type() <= b.type();
    Expr const& lo = a_lo ? a : b;
    Expr const& hi = a_lo ? b : a;
    if (hi.is_zero()) return lo;
    if (a.is_add() || b.is_add()) {
        Expr const& s = a.is_add() ? a : b;
        Expr const& o = a.is_add() ? b : a;
        ExprArgs r = copy_with_room(s.args(), 1);
        r.toggle(o);
        if (r.empty()) return Expr::imm(false);
        return node_or_single(expr_type_id::add, std::move(r));
    }
    return Expr(expr_type_id::add, pair_sorted(lo, hi));
}

Expr Expr::operator*(Expr const& b) const { return combine_set(*this, b, expr_type_id::mul, false); }
Expr Expr::operator|(Expr const& b) const { return combine_set(*this, b, expr_type_id::or_, true); }

Expr& Expr::operator+=(Expr const& b) {
    if (&b == this)
        *this = Expr::imm(false);
    else if (is_add())
        add_assign(*this, b);
    else
        *this = *this + b;
    return *this;
}

Expr& Expr::operator+=(Expr&& b) {
    if (&b == this)
        *this = Expr::imm(false);
    else if (is_add())
        add_assign(*this, std::move(b));
    else
        *this = *this + b;
    return *this;
}

Expr& Expr::operator*=(Expr const& b) {
    if (&b == this) return *this;
    if (is_mul())
        set_assign(*this, b, expr_type_id::mul, false);
    else
        *this = *this * b;
    return *this;
}

Expr& Expr::operator*=(Expr&& b) {
    if (&b == this) return *this;
    if (is_mul())
        set_assign(*this, std::move(b), expr_type_id::mul, false);
    else
        *this = *this * b;
    return *this;
}

Expr& Expr::operator|=(Expr const& b) {
    if (&b == this) return *this;
    if (is_or())
        set_assign(*this, b, expr_type_id::or_, true);
    else
        *this = *this | b;
    return *this;
}

Expr& Expr::operator|=(Expr&& b) {
    if (&b == this) return *this;
    if (is_or())
        set_assign(*this, std::move(b), expr_type_id::or_, true);
    else
        *this = *this | b;
    return *this;
}

// The typed overloads all share the kind-dispatching implementation above.
#define OND_TYPED_ASSIGN(View, op, Rhs, impl)                                                      \
    View& View::operator op(Rhs const& o) {                                                        \
        impl(*this, static_cast<Expr const&>(o));                                                  \
        return *this;                                                                              \
    }
#define OND_TYPED_ASSIGN_MOVE(View, op, Rhs, impl)                                                 \
    View& View::operator op(Rhs&& o) {                                                             \
        impl(*this, static_cast<Expr&&>(o));                                                       \
        return *this;                                                                              \
    }

namespace {
void add_impl(Expr& a, Expr const& b) { add_assign(a, b); }
void add_impl(Expr& a, Expr&& b) { add_assign(a, std::move(b)); }
void mul_impl(Expr& a, Expr const& b) { set_assign(a, b, expr_type_id::mul, false); }
void mul_impl(Expr& a, Expr&& b) { set_assign(a, std::move(b), expr_type_id::mul, false); }
void or_impl(Expr& a, Expr const& b) { set_assign(a, b, expr_type_id::or_, true); }
void or_impl(Expr& a, Expr&& b) { set_assign(a, std::move(b), expr_type_id::or_, true); }
} // namespace

OND_TYPED_ASSIGN(ExprAdd, +=, ExprSym, add_impl)
OND_TYPED_ASSIGN(ExprAdd, +=, ExprImm, add_impl)
OND_TYPED_ASSIGN(ExprAdd, +=, ExprMul, add_impl)
OND_TYPED_ASSIGN_MOVE(ExprAdd, +=, ExprMul, add_impl)
OND_TYPED_ASSIGN(ExprAdd, +=, ExprESF, add_impl)
OND_TYPED_ASSIGN_MOVE(ExprAdd, +=, ExprESF, add_impl)
OND_TYPED_ASSIGN(ExprAdd, +=, ExprOr, add_impl)
OND_TYPED_ASSIGN_MOVE(ExprAdd, +=, ExprOr, add_impl)
OND_TYPED_ASSIGN(ExprAdd, +=, ExprAdd, add_impl)
OND_TYPED_ASSIGN_MOVE(ExprAdd, +=, ExprAdd, add_impl)
OND_TYPED_ASSIGN(ExprAdd, +=, Expr, add_impl)
OND_TYPED_ASSIGN_MOVE(ExprAdd, +=, Expr, add_impl)

OND_TYPED_ASSIGN(ExprMul, *=, ExprSym, mul_impl)
OND_TYPED_ASSIGN(ExprMul, *=, ExprImm, mul_impl)
OND_TYPED_ASSIGN(ExprMul, *=, ExprAdd, mul_impl)
OND_TYPED_ASSIGN_MOVE(ExprMul, *=, ExprAdd, mul_impl)
OND_TYPED_ASSIGN(ExprMul, *=, ExprESF, mul_impl)
OND_TYPED_ASSIGN_MOVE(ExprMul, *=, ExprESF, mul_impl)
OND_TYPED_ASSIGN(ExprMul, *=, ExprOr, mul_impl)
OND_TYPED_ASSIGN_MOVE(ExprMul, *=, ExprOr, mul_impl)
OND_TYPED_ASSIGN(ExprMul, *=, ExprMul, mul_impl)
OND_TYPED_ASSIGN_MOVE(ExprMul, *=, ExprMul, mul_impl)
OND_TYPED_ASSIGN(ExprMul, *=, Expr, mul_impl)
OND_TYPED_ASSIGN_MOVE(ExprMul, *=, Expr, mul_impl)

OND_TYPED_ASSIGN(ExprOr, |=, ExprSym, or_impl)
OND_TYPED_ASSIGN(ExprOr, |=, ExprImm, or_impl)
OND_TYPED_ASSIGN(ExprOr, |=, ExprAdd, or_impl)
OND_TYPED_ASSIGN_MOVE(ExprOr, |=, ExprAdd, or_impl)
OND_TYPED_ASSIGN(ExprOr, |=, ExprESF, or_impl)
OND_TYPED_ASSIGN_MOVE(ExprOr, |=, ExprESF, or_impl)
OND_TYPED_ASSIGN(ExprOr, |=, ExprMul, or_impl)
OND_TYPED_ASSIGN_MOVE(ExprOr, |=, ExprMul, or_impl)
OND_TYPED_ASSIGN(ExprOr, |=, ExprOr, or_impl)
OND_TYPED_ASSIGN_MOVE(ExprOr, |=, ExprOr, or_impl)
OND_TYPED_ASSIGN(ExprOr, |=, Expr, or_impl)
OND_TYPED_ASSIGN_MOVE(ExprOr, |=, Expr, or_impl)

#undef OND_TYPED_ASSIGN
#undef OND_TYPED_ASSIGN_MOVE

} // namespace ond
