#include "simps/or_rewriting.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using ond::Expr;
using ond::ExprArgs;
using ond::expr_type_id;

namespace {

ExprArgs syms_of(std::vector<std::uint32_t> const& idx) {
    ExprArgs a;
    for (std::uint32_t i : idx) a.push_back(Expr::sym(i));
    return a;
}

// A sorted sum built from the OR expansions of random blocks of symbols, with terms dropped
// and unrelated products, ESF terms and symbols mixed in: many near-misses for the search.
Expr random_sum(std::mt19937& rng) {
    std::uniform_int_distribution<int> coin(0, 9);
    std::uint32_t n = 2 + rng() % 8;
    ExprArgs terms;
    std::vector<std::uint32_t> block;
    auto flush = [&] {
        if (block.size() >= 2) {
            for (std::size_t d = 2; d < block.size(); ++d)
                if (coin(rng) != 0) terms.push_back(ond::ExprESF(std::uint8_t(d), syms_of(block)));
            if (coin(rng) != 0) terms.push_back(Expr(expr_type_id::mul, syms_of(block)));
        }
        for (std::uint32_t s : block)
            if (coin(rng) != 0) terms.push_back(Expr::sym(s));
        block.clear();
    };
    for (std::uint32_t s = 0; s < n; ++s) {
        block.push_back(s);
        if (coin(rng) < 4) flush();
    }
    flush();
    for (int extra = coin(rng) % 4; extra > 0; --extra) {
        std::vector<std::uint32_t> sub;
        for (std::uint32_t s = 0; s < n; ++s)
            if (coin(rng) < 5) sub.push_back(s);
        if (sub.size() < 2) continue;
        if (coin(rng) < 5 && sub.size() > 2)
            terms.push_back(ond::ExprESF(std::uint8_t(2 + rng() % (sub.size() - 2)), syms_of(sub)));
        else
            terms.push_back(Expr(expr_type_id::mul, syms_of(sub)));
    }
    if (coin(rng) < 2) terms.push_back(Expr::imm(true));
    terms.sort();
    return Expr(expr_type_id::add, std::move(terms));
}

} // namespace

// The pruned candidate search must fold exactly what the plain enumeration folds.
TEST(IdentifyOrs, PrunedSearchMatchesExhaustive) {
    std::mt19937 rng(20261210);
    int folds = 0, wide_folds = 0;
    for (int round = 0; round < 3000; ++round) {
        Expr e = random_sum(rng);
        Expr pruned = e, plain = e;
        bool a = ond::simps::identify_ors_no_rec(pruned);
        bool b = ond::simps::identify_ors_no_rec_exhaustive(plain);
        ASSERT_EQ(a, b) << round;
        ASSERT_EQ(pruned, plain) << round;
        folds += a;
        auto const& parts = pruned.is_or() ? ExprArgs({pruned}) : pruned.args();
        for (Expr const& x : parts) wide_folds += x.is_or() && x.args().size() >= 3;
    }
    // The generator must actually exercise folds, not only refusals.
    EXPECT_GT(folds, 1000);
    EXPECT_GT(wide_folds, 300);
}

TEST(IdentifyOrs, UnsortedSumTakesThePlainSearch) {
    // Mul(a, b) after the symbols: no product after the run, so nothing to fold...
    Expr late(expr_type_id::add,
              ExprArgs({Expr::sym(0), Expr::sym(1), Expr(expr_type_id::mul, syms_of({0, 1}))}));
    EXPECT_FALSE(ond::simps::identify_ors_no_rec(late));
    // ...while a run out of order is still searched position by position: x1, x0, x2 with
    // Mul(x1, x2) folds the pair at positions 0 and 2.
    Expr e(expr_type_id::add, ExprArgs({Expr(expr_type_id::mul, syms_of({1, 2})), Expr::sym(1),
                                        Expr::sym(0), Expr::sym(2)}));
    EXPECT_TRUE(ond::simps::identify_ors_no_rec(e));
    EXPECT_EQ(e, Expr(expr_type_id::add,
                      ExprArgs({Expr(expr_type_id::or_, syms_of({1, 2})), Expr::sym(0)})));
}

TEST(OrToEsf, RefusesMoreThan255ArgumentsUnchanged) {
    ExprArgs wide;
    for (std::uint32_t i = 0; i < 256; ++i) wide.push_back(Expr::sym(i));
    ExprArgs outer({Expr(expr_type_id::or_, syms_of({0, 1})), Expr(expr_type_id::or_, wide)});
    Expr e(expr_type_id::mul, outer);
    Expr before = e;
    EXPECT_THROW(ond::simps::or_to_esf(e), std::length_error);
    EXPECT_EQ(e, before);

    wide.container().pop_back();
    Expr ok(expr_type_id::or_, wide);
    EXPECT_TRUE(ond::simps::or_to_esf(ok));
    ASSERT_EQ(ok.args().size(), 255u);
    EXPECT_TRUE(ok.args()[253].is_esf());
    EXPECT_EQ(ok.args()[253].esf_degree(), 254);
    EXPECT_TRUE(ok.args()[254].is_mul());
}

// Found by the fuzzer: in a sorted sum that was not flattened, a sum over the candidate's
// symbols lies between the products and the symbols; taking it for the product changed the
// function (Add(a, c) + a + c is 0, not a | c).
TEST(IdentifyOrs, ASumOverTheSymbolsIsNotTheProduct) {
    Expr a = Expr::sym(0), c = Expr::sym(2);
    Expr inner_sum(expr_type_id::add, syms_of({0, 2}));
    for (bool with_product : {false, true}) {
        ExprArgs terms;
        terms.push_back(Expr(expr_type_id::mul, syms_of({0})));
        if (with_product) terms.push_back(Expr(expr_type_id::mul, syms_of({0, 2})));
        terms.push_back(inner_sum);
        terms.push_back(a);
        terms.push_back(c);
        Expr e(expr_type_id::add, terms);
        Expr before = e;
        EXPECT_EQ(ond::simps::identify_ors(e), with_product);
        if (!with_product) {
            EXPECT_EQ(e, before);
            continue;
        }
        // The product a * c is the one folded; the sum over a and c stays.
        ASSERT_TRUE(e.is_add());
        EXPECT_EQ(e, Expr(expr_type_id::add,
                          ExprArgs({Expr(expr_type_id::or_, syms_of({0, 2})),
                                    Expr(expr_type_id::mul, syms_of({0})), inner_sum})));
    }
}
