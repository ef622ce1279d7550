// Expression arithmetic over GF(2): exclusive-or, conjunction and disjunction with one level of
// canonicalisation (cancellation, idempotence, absorption of immediates, merging of same-kind
// nodes). Merging a list of m into one of n costs O(n + m) moves (see SortedVector).
#include "expr/assert.hpp"
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
    OND_ASSERT(r[0] < r[1], "a two-argument node from equal operands");
    return r;
}

// pair_sorted(a, b), taking `a` over. Everything that may throw comes before `a` is touched,
// and `b` is copied first, since it may live inside `a`.
ExprArgs pair_taking(Expr& a, Expr const& b) {
    ExprArgs r;
    r.reserve(2);
    Expr other(b);
    Expr self(std::move(a));
    if (other < self) {
        r.push_back(std::move(other));
        r.push_back(std::move(self));
    } else {
        r.push_back(std::move(self));
        r.push_back(std::move(other));
    }
    OND_ASSERT(r[0] < r[1], "a two-argument node from equal operands");
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

// The exclusive (Exclusive) or union merge of b's arguments into a's, taking them over when b
// is an rvalue.
template <bool Exclusive, class V>
void merge_args(Expr& a, V&& b) {
    auto first = b.args().begin();
    auto last = b.args().end();
    if constexpr (std::is_rvalue_reference_v<V&&>) {
        if constexpr (Exclusive)
            a.args().merge_exclusive(std::make_move_iterator(first), std::make_move_iterator(last));
        else
            a.args().merge_union(std::make_move_iterator(first), std::make_move_iterator(last));
    } else if constexpr (Exclusive) {
        a.args().merge_exclusive(first, last);
    } else {
        a.args().merge_union(first, last);
    }
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
        merge_args<true>(a, std::forward<V>(b));
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
        merge_args<false>(a, std::forward<V>(b));
        return;
    }
    a.args().insert_unique(std::forward<V>(b));
}

// The three in-place operations, one row each: the kind a left operand is changed in place
// for, that change, the binary operator for every other left operand, and what an operand
// combined with itself leaves (x + x is 0; x * x and x | x are x).
struct AddOp {
    static constexpr expr_type_id kind = expr_type_id::add;
    template <class V>
    static void in_place(Expr& a, V&& b) {
        add_assign(a, std::forward<V>(b));
    }
    static Expr binary(Expr const& a, Expr const& b) { return a + b; }
    static void with_itself(Expr& a) { a = Expr::imm(false); }
};

// Conjunction (kind Mul, absorbed by 0) and disjunction (kind Or, absorbed by 1).
template <expr_type_id Kind, bool Absorb>
struct SetOp {
    static constexpr expr_type_id kind = Kind;
    template <class V>
    static void in_place(Expr& a, V&& b) {
        set_assign(a, std::forward<V>(b), Kind, Absorb);
    }
    static Expr binary(Expr const& a, Expr const& b) { return combine_set(a, b, Kind, Absorb); }
    static void with_itself(Expr&) {}
};
using MulOp = SetOp<expr_type_id::mul, false>;
using OrOp = SetOp<expr_type_id::or_, true>;

// `a op= b`: changed in place when `a` has the operation's kind, else rebuilt by the binary
// operator (which reads `b` without taking it over).
template <class Op, class V>
Expr& assign(Expr& a, V&& b) {
    if (&b == &a)
        Op::with_itself(a);
    else if (a.type() == Op::kind)
        Op::in_place(a, std::forward<V>(b));
    else if (!a.is_imm() && !b.is_imm() && b.type() != Op::kind && !(a == b))
        // The binary operator's two-argument node, with `a` moved into it rather than copied:
        // `c *= x` then `c += t` on a large c costs O(1) instead of two copies of c.
        a = Expr(Op::kind, pair_taking(a, b));
    else
        a = Op::binary(a, b);
    return a;
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

Expr& Expr::operator+=(Expr const& b) { return assign<AddOp>(*this, b); }
Expr& Expr::operator+=(Expr&& b) { return assign<AddOp>(*this, std::move(b)); }
Expr& Expr::operator*=(Expr const& b) { return assign<MulOp>(*this, b); }
Expr& Expr::operator*=(Expr&& b) { return assign<MulOp>(*this, std::move(b)); }
Expr& Expr::operator|=(Expr const& b) { return assign<OrOp>(*this, b); }
Expr& Expr::operator|=(Expr&& b) { return assign<OrOp>(*this, std::move(b)); }

// The typed overloads all share the kind-dispatching implementation above; the view already
// fixes the kind of the left operand.
#define OND_TYPED_ASSIGN(View, op, Rhs, Op)                                                        \
    View& View::operator op(Rhs const& o) {                                                        \
        Op::in_place(*this, static_cast<Expr const&>(o));                                          \
        return *this;                                                                              \
    }
#define OND_TYPED_ASSIGN_MOVE(View, op, Rhs, Op)                                                   \
    View& View::operator op(Rhs&& o) {                                                             \
        Op::in_place(*this, static_cast<Expr&&>(o));                                               \
        return *this;                                                                              \
    }

// Every view takes each kind of right operand, all but the leaves also as an rvalue.
#define OND_TYPED_ASSIGN_BOTH(View, op, Rhs, Op)                                                   \
    OND_TYPED_ASSIGN(View, op, Rhs, Op)                                                            \
    OND_TYPED_ASSIGN_MOVE(View, op, Rhs, Op)
#define OND_TYPED_ASSIGN_FAMILY(View, op, Op)                                                      \
    OND_TYPED_ASSIGN(View, op, ExprSym, Op)                                                        \
    OND_TYPED_ASSIGN(View, op, ExprImm, Op)                                                        \
    OND_TYPED_ASSIGN_BOTH(View, op, ExprAdd, Op)                                                   \
    OND_TYPED_ASSIGN_BOTH(View, op, ExprMul, Op)                                                   \
    OND_TYPED_ASSIGN_BOTH(View, op, ExprESF, Op)                                                   \
    OND_TYPED_ASSIGN_BOTH(View, op, ExprOr, Op)                                                    \
    OND_TYPED_ASSIGN_BOTH(View, op, Expr, Op)

OND_TYPED_ASSIGN_FAMILY(ExprAdd, +=, AddOp)
OND_TYPED_ASSIGN_FAMILY(ExprMul, *=, MulOp)
OND_TYPED_ASSIGN_FAMILY(ExprOr, |=, OrOp)

#undef OND_TYPED_ASSIGN_FAMILY
#undef OND_TYPED_ASSIGN_BOTH
#undef OND_TYPED_ASSIGN
#undef OND_TYPED_ASSIGN_MOVE

} // namespace ond
