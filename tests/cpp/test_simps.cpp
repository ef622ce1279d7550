// Pass-level behaviour of the simplification passes, and the canonical-shape invariant after
// every pass of the node loop on random trees.
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"
#include "test_helpers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

using namespace ond;
using namespace ond::test;


struct PassCase {
    const char* name;
    std::function<Expr()> input;
    std::function<bool(Expr&)> pass;
    const char* after;
    bool changed;
};

void PrintTo(PassCase const& c, std::ostream* os) { *os << c.name; }

class SinglePass : public ::testing::TestWithParam<PassCase> {};

TEST_P(SinglePass, RewritesOneNode) {
    PassCase const& c = GetParam();
    Expr e = c.input();
    EXPECT_EQ(c.pass(e), c.changed);
    EXPECT_EQ(text(e), c.after);
}

using T = expr_type_id;

INSTANTIATE_TEST_SUITE_P(
    Passes, SinglePass,
    ::testing::Values(
        PassCase{"esf_degree1_drops_zero",
                 [] { return raw_esf(1, {sym("x"), sym("y"), imm(false)}); },
                 simps::constants_prop_sorted_no_rec, "ESF(1, x, y)", true},
        PassCase{"esf_only_ones_unchanged",
                 [] { return raw_esf(2, {sym("x"), sym("y"), imm(true)}); },
                 simps::constants_prop_sorted_no_rec, "ESF(2, x, y, 1)", false},
        PassCase{"esf_zeros_to_mul",
                 [] { return raw_esf(2, {sym("x"), sym("y"), imm(false), imm(false), imm(true)}); },
                 simps::constants_prop_sorted_no_rec, "ESF(2, x, y, 1)", true},
        PassCase{"esf_single_zero", [] { return raw_esf(2, {imm(false)}); },
                 simps::constants_prop_sorted_no_rec, "0", true},
        PassCase{"esf_too_few_left", [] { return raw_esf(3, {sym("x"), imm(false)}); },
                 simps::constants_prop_sorted_no_rec, "0", true},
        PassCase{"esf_becomes_product", [] { return raw_esf(2, {sym("x"), sym("y"), imm(false)}); },
                 simps::constants_prop_sorted_no_rec, "(x * y)", true},
        // Degree 0: the constant 1 whatever the arguments, on each pass that meets the node.
        PassCase{"esf_degree0_constants", [] { return raw_esf(0, {sym("x"), sym("y")}); },
                 simps::constants_prop_no_rec, "1", true},
        PassCase{"esf_degree0_single_zero", [] { return raw_esf(0, {imm(false)}); },
                 simps::constants_prop_sorted_no_rec, "1", true},
        PassCase{"esf_degree0_zeros_dropped", [] { return raw_esf(0, {sym("x"), imm(false)}); },
                 simps::constants_prop_sorted_no_rec, "1", true},
        PassCase{"flatten_empty_esf_degree0", [] { return raw_esf(0, {}); },
                 simps::flatten_no_rec, "1", true},
        PassCase{"flatten_empty_esf", [] { return raw_esf(2, {}); }, simps::flatten_no_rec, "0",
                 true},
        PassCase{"mul_zero", [] { return raw(T::mul, {sym("x"), imm(false)}); },
                 simps::constants_prop_no_rec, "0", true},
        PassCase{"add_zero_untouched_by_constants",
                 [] { return raw(T::add, {sym("x"), imm(false)}); },
                 simps::constants_prop_no_rec, "(x + 0)", false},
        PassCase{"or_one", [] { return raw(T::or_, {sym("x"), imm(true)}); },
                 simps::constants_prop_no_rec, "1", true},
        PassCase{"flatten_empty_mul", [] { return raw(T::mul, {}); }, simps::flatten_no_rec, "0",
                 true},
        PassCase{"flatten_esf_single_kept", [] { return raw_esf(2, {sym("x")}); },
                 simps::flatten_no_rec, "ESF(2, x)", false},
        PassCase{"flatten_nested_single",
                 [] { return raw(T::add, {raw(T::mul, {sym("x")})}); }, simps::flatten_no_rec,
                 "x", true},
        PassCase{"flatten_add_cancels",
                 [] { return raw(T::add, {sym("a"), raw(T::add, {sym("a"), sym("b")})}); },
                 simps::flatten_no_rec, "b", true},
        PassCase{"flatten_add_all_cancel",
                 [] {
                     return raw(T::add, {raw(T::add, {sym("a"), sym("b")}), sym("a"), sym("b")});
                 },
                 simps::flatten_no_rec, "0", true},
        PassCase{"flatten_mul_union",
                 [] {
                     return raw(T::mul, {raw(T::mul, {sym("a"), sym("c")}),
                                         raw(T::mul, {sym("b"), sym("c")}), sym("a")});
                 },
                 simps::flatten_no_rec, "(a * b * c)", true},
        PassCase{"flatten_no_same_kind", [] { return raw(T::mul, {sym("x"), sym("x")}); },
                 simps::flatten_no_rec, "(x * x)", false},
        PassCase{"dead_mul_neutral_one",
                 [] { return raw(T::mul, {sym("x"), sym("y"), imm(true)}); },
                 simps::remove_dead_ops_no_rec, "(x * y)", true},
        PassCase{"dead_or_trailing_zero",
                 [] { return raw(T::or_, {sym("x"), sym("x"), imm(false)}); },
                 simps::remove_dead_ops_no_rec, "x", true},
        PassCase{"dead_add_runs",
                 [] {
                     return raw(T::add, {sym("x"), sym("x"), sym("y"), sym("y"), sym("y"),
                                         imm(false), imm(true), imm(true), imm(true)});
                 },
                 simps::remove_dead_ops_no_rec, "(y + 1)", true},
        PassCase{"dead_add_empty", [] { return raw(T::add, {sym("x"), sym("x")}); },
                 simps::remove_dead_ops_no_rec, "0", true},
        PassCase{"dead_esf_untouched", [] { return raw_esf(2, {sym("x"), sym("x"), sym("y")}); },
                 simps::remove_dead_ops_no_rec, "ESF(2, x, x, y)", false},
        PassCase{"expand_symbol_first", [] { return raw(T::mul, {sym("x"), sym("y")}); },
                 simps::expand_no_rec, "(x * y)", false},
        PassCase{"expand_or_then_last_sum",
                 [] {
                     return raw(T::mul, {raw(T::or_, {sym("a"), sym("b")}),
                                         raw(T::add, {sym("c"), sym("d")})});
                 },
                 simps::expand_no_rec, "((a | b) * (c + d))", false},
        PassCase{"expand_keeps_equal_terms",
                 [] {
                     return raw(T::mul, {raw(T::add, {sym("a"), sym("b")}), sym("a"), sym("b")});
                 },
                 simps::expand_no_rec, "((a * b) + (a * b))", true},
        PassCase{"expand_all_cancel",
                 [] {
                     return raw(T::mul, {raw(T::add, {sym("a"), sym("b")}),
                                         raw(T::add, {sym("a"), sym("b"), imm(true)})});
                 },
                 simps::expand_no_rec, "(empty)", true}),
    [](auto const& info) { return std::string(info.param.name); });

TEST(Expand, SecondExpansionReportsNoChange) {
    Expr e = raw(T::mul, {raw(T::or_, {sym("a"), sym("b")}), raw(T::add, {sym("c"), sym("d")}),
                          sym("x")});
    EXPECT_TRUE(simps::expand_no_rec(e));
    EXPECT_EQ(text(e), "((a | b) * ((c * x) + (d * x)))");
    EXPECT_FALSE(simps::expand_no_rec(e));
}

TEST(Expand, RecursiveFormExpandsInnerProductsFirst) {
    Expr inner = raw(T::mul, {raw(T::add, {sym("a"), sym("b")}), sym("c")});
    Expr e = raw(T::mul, {raw(T::add, {inner, sym("d")}), sym("x")});
    EXPECT_TRUE(simps::expand(e));
    simps::simplify(e);
    EXPECT_EQ(text(e), "((d * x) + (a * c * x) + (b * c * x))");
}

TEST(RemoveDeadOps, RecursiveFormPropagatesConstantsOnEveryNode) {
    Expr e = raw(T::add, {raw(T::mul, {sym("x"), imm(false)}), sym("y")});
    EXPECT_TRUE(simps::remove_dead_ops(e));
    EXPECT_EQ(text(e), "y");
}

// Random trees over four symbols and the immediates, without disjunctions, with or without ESF.
Expr random_tree(std::mt19937& g, int depth, bool with_esf) {
    std::uniform_int_distribution<int> pick(0, 9);
    int k = pick(g);
    if (depth == 0 || k < 3) {
        if (k == 0) return imm(g() & 1);
        static const char* names[] = {"r0", "r1", "r2", "r3"};
        return sym(names[g() % 4]);
    }
    std::vector<Expr> a;
    int n = 1 + g() % 4;
    for (int i = 0; i < n; ++i) a.push_back(random_tree(g, depth - 1, with_esf));
    if (k == 9 && with_esf) return raw_esf(static_cast<std::uint8_t>(g() % 4), std::move(a));
    return raw(k < 6 ? T::add : T::mul, std::move(a));
}

TEST(Canonical, SimplifyLeavesCanonicalTrees) {
    std::mt19937 g(12345);
    for (int i = 0; i < 2000; ++i) {
        Expr e = random_tree(g, 4, false);
        Expr s(e);
        simps::simplify(s);
        ASSERT_TRUE(simps::is_canonical(s)) << text(e) << " -> " << text(s);
        Expr again(s);
        simps::simplify(again);
        ASSERT_EQ(again, s) << text(e);
        // Once every ESF is expanded, simplify yields canonical sums too.
        Expr x = random_tree(g, 4, true);
        simps::expand_esf(x);
        simps::simplify(x);
        ASSERT_TRUE(simps::is_canonical(x)) << text(x);
    }
}

TEST(Canonical, NodeLoopStepsKeepListsSorted) {
    // After sort, every step of the node loop on an otherwise simplified node keeps it sorted.
    std::mt19937 g(777);
    std::vector<std::function<bool(Expr&)>> steps = {
        simps::constants_prop_no_rec, simps::flatten_no_rec, simps::constants_prop_sorted_no_rec,
        simps::remove_dead_ops_no_rec, simps::expand_no_rec};
    for (int i = 0; i < 1000; ++i) {
        Expr e = random_tree(g, 3, true);
        if (!e.has_args()) continue;
        for (Expr& a : e.args()) simps::simplify(a);
        simps::sort_no_rec(e);
        for (auto& step : steps) {
            step(e);
            if (!e.has_args()) break;
            for (std::size_t k = 1; k < e.args().size(); ++k)
                ASSERT_FALSE(e.args()[k] < e.args()[k - 1]) << text(e);
        }
    }
}

TEST(Canonical, RejectsBrokenShapes) {
    EXPECT_TRUE(simps::is_canonical(sym("x")));
    EXPECT_FALSE(simps::is_canonical(raw(T::add, {sym("y"), sym("x")})));
    EXPECT_FALSE(simps::is_canonical(raw(T::add, {sym("x"), sym("x")})));
    EXPECT_FALSE(simps::is_canonical(raw(T::add, {sym("x")})));
    EXPECT_FALSE(simps::is_canonical(raw(T::mul, {sym("x"), imm(true)})));
    EXPECT_FALSE(simps::is_canonical(raw(T::add, {sym("x"), imm(false)})));
    EXPECT_FALSE(simps::is_canonical(raw(T::mul, {raw(T::add, {sym("x"), sym("y")}), sym("z")})));
    EXPECT_FALSE(
        simps::is_canonical(raw(T::add, {raw(T::add, {sym("x"), sym("y")}), sym("z")})));
    EXPECT_TRUE(simps::is_canonical(raw(T::add, {sym("x"), imm(true)})));
}

// Flattening a node with many same-kind children pairs the merges off when every list ascends
// strictly; the result must be what merging the children one after the other, in list order,
// gives, also when some list has duplicates or is out of order and the pairing is not allowed.
namespace {

Expr nth_sym(unsigned k) {
    return Expr::sym(symbol(("fl" + std::to_string(k)).c_str()).sym_idx());
}

Expr flatten_in_order(Expr e) {
    expr_type_id kind = e.type();
    ExprArgs r;
    for (Expr const& x : e.args()) {
        if (x.type() == kind) {
            if (kind == expr_type_id::add)
                r.merge_exclusive_walk(x.args().begin(), x.args().end());
            else
                r.merge_union_walk(x.args().begin(), x.args().end());
        } else {
            std::vector<Expr> one{x};
            if (kind == expr_type_id::add)
                r.merge_exclusive_walk(one.begin(), one.end());
            else
                r.merge_union_walk(one.begin(), one.end());
        }
    }
    return Expr(kind, std::move(r));
}

} // namespace

TEST(Flatten, ManyChildrenMergeLikeOneAfterTheOther) {
    std::mt19937 g(5);
    std::uniform_int_distribution<unsigned> pick(0, 40);
    for (expr_type_id kind : {expr_type_id::add, expr_type_id::mul}) {
        expr_type_id other = kind == expr_type_id::add ? expr_type_id::mul : expr_type_id::add;
        for (int round = 0; round < 60; ++round) {
            // Round 0 mod 3: canonical children; 1: one child with a duplicate; 2: one child
            // out of order.
            int flaw = round % 3;
            std::vector<Expr> args;
            int children = 3 + round % 5;
            for (int c = 0; c < children; ++c) {
                std::vector<Expr> terms;
                for (int t = 0, n = 1 + int(pick(g) % 12); t < n; ++t) {
                    unsigned a = pick(g), b = pick(g);
                    terms.push_back(
                        a == b ? nth_sym(a)
                               : raw(other, {nth_sym(std::min(a, b)), nth_sym(std::max(a, b))}));
                }
                std::sort(terms.begin(), terms.end());
                terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
                if (c == 0 && flaw == 1) terms.push_back(terms.back());
                if (c == 0 && flaw == 2 && terms.size() > 1) std::swap(terms[0], terms.back());
                args.push_back(raw(kind, std::move(terms)));
            }
            for (int s = 0; s < round % 4; ++s) args.push_back(nth_sym(pick(g)));
            Expr e = raw(kind, std::move(args));
            simps::sort_no_rec(e);
            Expr want = flatten_in_order(e);
            simps::flatten_no_rec(e);
            // The pass also collapses what the merges leave short; compare the merged lists.
            if (e.type() == kind && e.has_args())
                EXPECT_EQ(text(e), text(want)) << "round " << round;
            else
                EXPECT_LE(want.args().size(), 1u) << "round " << round;
        }
    }
}
