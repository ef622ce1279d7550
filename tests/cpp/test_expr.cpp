#include "test_helpers.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>
#include <vector>

using namespace ond;
using ond::test::sym;

namespace {
// Operand evaluation order is unspecified, so the symbols get their indices up front.
struct NamedSymbols : ::testing::Environment {
    void SetUp() override {
        for (const char* n : {"a", "b", "c", "d"}) symbol(n);
    }
};
[[maybe_unused]] auto* const named_symbols = ::testing::AddGlobalTestEnvironment(new NamedSymbols);
} // namespace

TEST(ExprLayout, PackedWithoutPadding) {
    static_assert(sizeof(Expr) == 26);
    static_assert(alignof(Expr) == 1);
    static_assert(sizeof(ExprSym) == sizeof(Expr) && sizeof(ExprAdd) == sizeof(Expr));
    std::vector<Expr> v(4);
    EXPECT_EQ(reinterpret_cast<char*>(&v[3]) - reinterpret_cast<char*>(&v[0]), 3 * 26);
    EXPECT_TRUE(Expr().is_imm());
    EXPECT_FALSE(Expr().imm_value());
}

TEST(ExprOwnership, MoveLeavesEmptyNodeOfSameKind) {
    Expr e = sym("a") + sym("b");
    Expr m(std::move(e));
    EXPECT_TRUE(e.is_add());
    EXPECT_EQ(e.args().size(), 0u);
    EXPECT_EQ(expr_text(m), "(a + b)");
    Expr leaf = sym("a");
    Expr moved(std::move(leaf));
    EXPECT_TRUE(leaf.is_sym() && leaf == moved);
}

TEST(ExprOwnership, AssignFromOwnSubexpression) {
    Expr e = (sym("a") * sym("b")) + sym("c");
    e = e.args()[0]; // copy assignment from inside the target
    EXPECT_EQ(expr_text(e), "(a * b)");
    e = std::move(e.args()[1]); // move assignment from inside the target
    EXPECT_EQ(expr_text(e), "b");
    Expr f = sym("a") + sym("b");
    f = std::move(f);
    EXPECT_EQ(expr_text(f), "(a + b)");
}

TEST(ExprOwnership, CopyIsDeep) {
    Expr e = (sym("a") * sym("b")) + sym("c");
    Expr c = e;
    c.args()[0] *= sym("d");
    EXPECT_EQ(expr_text(e), "((a * b) + c)");
    EXPECT_EQ(expr_text(c), "((a * b * d) + c)");
}

TEST(Symbols, NamesAndArgumentCache) {
    ExprSym a = symbol("a");
    EXPECT_STREQ(symbols().name(a), "a");
    const char* n12 = symbols().name(arg_symbol(12));
    EXPECT_STREQ(n12, "_12");
    EXPECT_EQ(symbols().name(arg_symbol(12)), n12) << "argument names are cached";
    EXPECT_EQ(symbols().name(ExprSym(0x0EFFFFFFu)), nullptr);
    std::ostringstream s;
    print_expr(s, a + ExprSym(0x0EFFFFFFu), nullptr);
    EXPECT_EQ(s.str(), "(" + std::to_string(a.idx()) + " + 251658239)");
}

TEST(Symbols, PrintFlag) {
    pp_sym_display(true);
    std::string t = expr_text(sym("a") + sym("b"));
    pp_sym_display(false);
    EXPECT_EQ(t, "(Sym(a) + Sym(b))");
}

// The moving and typed overloads give the same result as the copying Expr ones.
TEST(Arithmetic, TypedAndMovingOverloadsAgree) {
    Expr a = sym("a"), b = sym("b"), c = sym("c");
    std::vector<Expr> rhs = {a, b * c, a + c, b | c, Expr::imm(true), Expr::imm(false),
                             ExprESF(2, ExprArgs(std::vector<Expr>{a, b, c}))};
    for (Expr const& r : rhs) {
        ExprAdd s1{a, b};
        Expr s2 = a + b;
        Expr moved = r;
        s1 += r;
        s2 += std::move(moved);
        EXPECT_EQ(s1, s2) << expr_text(r);
        EXPECT_EQ(static_cast<Expr&>(s1), (a + b) + r) << expr_text(r);

        ExprMul m1{a, b};
        Expr m2 = a * b;
        Expr moved2 = r;
        m1 *= r;
        m2 *= std::move(moved2);
        EXPECT_EQ(m1, m2) << expr_text(r);

        ExprOr o1{a, b};
        Expr o2 = a | b;
        Expr moved3 = r;
        o1 |= r;
        o2 |= std::move(moved3);
        EXPECT_EQ(o1, o2) << expr_text(r);
    }
}

// A left operand of another kind than the operator's is taken into the new node instead of
// copied: the result is the binary operator's, also when the right operand lives inside it.
TEST(Arithmetic, InPlaceOnAnotherKindMatchesBinary) {
    Expr a = sym("a"), b = sym("b"), c = sym("c");
    std::vector<Expr> ops = {a,     b * c, a + c, b | c, Expr::imm(true), Expr::imm(false),
                             a * a, a + b, c * b};
    for (Expr const& l : ops) {
        for (Expr const& r : ops) {
            // (A left operand of the operator's kind is changed in place, where an emptied
            // sum stays an argument-less node; that path has its own tests.)
            Expr s = l, m = l, o = l;
            s += r;
            m *= r;
            o |= r;
            if (!l.is_add()) {
                EXPECT_EQ(s, l + r) << expr_text(l) << " + " << expr_text(r);
            }
            if (!l.is_mul()) {
                EXPECT_EQ(m, l * r) << expr_text(l) << " * " << expr_text(r);
            }
            if (!l.is_or()) {
                EXPECT_EQ(o, l | r) << expr_text(l) << " | " << expr_text(r);
            }
        }
        if (!l.has_args()) continue;
        for (std::size_t i = 0; i < l.args().size(); ++i) {
            Expr const part = l.args()[i];
            Expr s = l, m = l, o = l;
            s += s.args()[i];
            m *= m.args()[i];
            o |= o.args()[i];
            if (!l.is_add()) {
                EXPECT_EQ(s, l + part) << expr_text(l) << ", argument " << i;
            }
            if (!l.is_mul()) {
                EXPECT_EQ(m, l * part) << expr_text(l) << ", argument " << i;
            }
            if (!l.is_or()) {
                EXPECT_EQ(o, l | part) << expr_text(l) << ", argument " << i;
            }
        }
    }
}

TEST(Arithmetic, InitializerListViewsSortButDoNotSimplify) {
    ExprAdd e{sym("b"), sym("a"), sym("a")};
    EXPECT_EQ(expr_text(e), "(a + a + b)");
    ExprMul m{sym("b"), Expr::imm(true)};
    EXPECT_EQ(expr_text(m), "(b * 1)");
}
