#include "linalg/bitfield.hpp"
#include "linalg/subs.hpp"
#include "test_helpers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

using ond::bitfield;
using ond::Expr;
using ond::ExprArgs;
using ond::expr_type_id;
using ond::test::raw;
using ond::test::var;

namespace {

std::vector<std::size_t> set_bits(bitfield const& b) {
    std::vector<std::size_t> r;
    for (std::size_t i = 0; i < b.capacity(); ++i)
        if (b.get(i)) r.push_back(i);
    return r;
}

} // namespace

TEST(Bitfield, SizedConstructionRoundsUpAndClears) {
    for (std::size_t nbits : {0u, 1u, 63u, 64u, 65u, 640u}) {
        bitfield b(nbits);
        EXPECT_EQ(b.nwords(), (nbits + 63) / 64) << nbits;
        EXPECT_EQ(b.capacity(), 64 * b.nwords());
        EXPECT_TRUE(set_bits(b).empty());
    }
    EXPECT_EQ(bitfield().words(), nullptr);
}

struct GrowthCase {
    std::size_t start_words, bit, expected_words;
};

class BitfieldGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(BitfieldGrowth, WordCountAfterSet) {
    auto const& c = GetParam();
    bitfield b(c.start_words * 64);
    if (c.start_words) b.set(3);
    b.set(c.bit);
    EXPECT_EQ(b.nwords(), c.expected_words);
    std::vector<std::size_t> want;
    if (c.start_words && c.bit != 3) want.push_back(3);
    want.push_back(c.bit);
    std::sort(want.begin(), want.end());
    // Old bits survive the copy and every new word starts clear.
    EXPECT_EQ(set_bits(b), want);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, BitfieldGrowth,
    ::testing::Values(GrowthCase{0, 0, 1}, GrowthCase{0, 63, 1}, GrowthCase{0, 64, 2},
                      GrowthCase{0, 1000, 16},   // empty: exactly (i + 64) / 64 words
                      GrowthCase{1, 10, 1},      // inside the capacity: no growth
                      GrowthCase{1, 64, 65},     // current count + 64 beats the need
                      GrowthCase{2, 64 * 200, 201}, // the need beats current + 64
                      GrowthCase{3, 64 * 66, 67}));

TEST(Bitfield, ReadsBeyondCapacityAreZero) {
    bitfield b(64);
    b.set(63);
    EXPECT_TRUE(b.get(63));
    EXPECT_FALSE(b.get(64));
    EXPECT_FALSE(b.get(~std::size_t{0}));
    b.reset(63);
    b.reset(5000); // beyond the capacity: nothing to clear, no growth
    EXPECT_FALSE(b.get(63));
    EXPECT_EQ(b.nwords(), 1u);
}

TEST(Bitfield, CopyAndMoveOwnTheirWords) {
    bitfield a;
    a.set(5);
    a.set(130);
    bitfield c(a);
    c.set(7);
    EXPECT_EQ(set_bits(a), (std::vector<std::size_t>{5, 130}));
    EXPECT_EQ(set_bits(c), (std::vector<std::size_t>{5, 7, 130}));
    EXPECT_NE(a.words(), c.words());

    bitfield d;
    d = c;
    d = d; // self-assignment keeps the bits
    EXPECT_EQ(set_bits(d), set_bits(c));

    auto const* w = c.words();
    bitfield m(std::move(c));
    EXPECT_EQ(m.words(), w);
    EXPECT_EQ(c.nwords(), 0u);
    EXPECT_EQ(c.words(), nullptr);
    a = std::move(m);
    EXPECT_EQ(a.words(), w);
    EXPECT_EQ(set_bits(a), (std::vector<std::size_t>{5, 7, 130}));
    // A moved-from set is empty and usable again.
    m.set(1);
    EXPECT_EQ(set_bits(m), (std::vector<std::size_t>{1}));
}

TEST(Bitfield, SetRandomFollowsTheGenerator) {
    bitfield empty;
    empty.set_random();
    EXPECT_EQ(empty.nwords(), 0u);

    bitfield b(3 * 64);
    std::srand(12345);
    b.set_random();
    std::srand(12345);
    for (std::size_t k = 0; k < b.nwords(); ++k) {
        std::int64_t x = std::rand();
        std::int64_t y = std::rand();
        auto wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(x * y));
        EXPECT_EQ(b.words()[k], static_cast<std::uint64_t>(static_cast<std::int64_t>(wrapped)));
        // The upper half repeats bit 31.
        std::uint64_t hi = b.words()[k] >> 32;
        EXPECT_EQ(hi, (b.words()[k] >> 31 & 1) ? 0xFFFFFFFFu : 0u);
    }
}

TEST(Subs, MaskedSymbolsTakeTheirValues) {
    // x0 * (x1 + x2 + x70) with x1 = 1, x2 = 0, x70 masked beyond the values' capacity.
    Expr e = raw(expr_type_id::mul,
                  {raw(expr_type_id::add, {var(1), var(2), var(70)}), var(0)});
    bitfield mask, values;
    mask.set(1);
    mask.set(2);
    mask.set(70);
    values.set(1);
    ASSERT_LT(values.capacity(), 70u);
    ond::subs(e, mask, values);
    // Unsimplified, only re-sorted: Mul(Add(0, 0, 1), x0).
    Expr want = raw(expr_type_id::mul,
                {raw(expr_type_id::add, {Expr::imm(false), Expr::imm(false), Expr::imm(true)}),
                 var(0)});
    EXPECT_EQ(e, want);
}

TEST(Subs, UnmaskedAndOutOfCapacitySymbolsStay) {
    Expr e = raw(expr_type_id::add, {var(3), var(500)});
    bitfield mask(64), values(64);
    values.set(3);
    ond::subs(e, mask, values);
    EXPECT_EQ(e, raw(expr_type_id::add, {var(3), var(500)}));
    Expr s = var(0);
    ond::subs(s, bitfield(), bitfield());
    EXPECT_EQ(s, var(0));
}

TEST(Subs, EmptySetsOnlySortEveryList) {
    // Built unsorted on purpose at two levels.
    Expr inner = raw(expr_type_id::mul, {var(9), var(4)});
    Expr e = raw(expr_type_id::add, {var(2), inner, Expr::imm(true), var(1)});
    ond::subs(e, bitfield(), bitfield());
    Expr want = raw(expr_type_id::add, {raw(expr_type_id::mul, {var(4), var(9)}), var(1),
                                         var(2), Expr::imm(true)});
    EXPECT_EQ(e, want);
}

TEST(SubsMap, OutermostMatchWinsAndIsNotRevisited) {
    Expr ab = raw(expr_type_id::mul, {var(0), var(1)});
    std::map<Expr, Expr> m;
    m[ab] = raw(expr_type_id::add, {var(0), var(2)}); // holds a key-like symbol: not revisited
    m[var(0)] = var(5);
    Expr e = raw(expr_type_id::add, {ab, var(0)});
    ond::subs_map(e, m);
    EXPECT_EQ(e, raw(expr_type_id::add, {raw(expr_type_id::add, {var(0), var(2)}), var(5)}));

    Expr whole = ab;
    ond::subs_map(whole, m);
    EXPECT_EQ(whole, m[ab]);
}

TEST(SubsMap, EmptyMapSortsOnly) {
    Expr e = raw(expr_type_id::or_, {var(3), raw(expr_type_id::add, {var(8), var(6)})});
    ond::subs_map(e, {});
    EXPECT_EQ(e, raw(expr_type_id::or_, {raw(expr_type_id::add, {var(6), var(8)}), var(3)}));
}
