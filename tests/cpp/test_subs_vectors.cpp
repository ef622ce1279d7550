// subs_vectors in the core: the assignment read from vectors and integers, and the two ways of
// applying it (bit sets for small symbol indices, a map beyond), which must agree.
#include "linalg/matrix.hpp"
#include "linalg/size_mismatch.hpp"
#include "linalg/subs.hpp"
#include "linalg/vector.hpp"
#include "test_helpers.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using ond::Expr;
using ond::expr_type_id;
using ond::ExprArgs;
using ond::Matrix;
using ond::SymbolValues;
using ond::Vector;
// Symbols by index, not by name: the indices are what the assignment keys on.
using ond::test::var;

namespace {

// A node over `a`, its list sorted as every substitution leaves it.
Expr node(expr_type_id t, std::vector<Expr> a) {
    ExprArgs args(std::move(a));
    args.sort();
    return Expr(t, std::move(args));
}

// An argument symbol: its index lies far beyond what a bit set may hold.
constexpr std::uint32_t big = 0xF0000005u;
static_assert(big >= ond::subs_bitfield_max_bits);

SymbolValues assign(std::vector<Vector> const& vectors, std::vector<std::uint64_t> const& bits) {
    std::vector<Vector const*> ptrs;
    for (Vector const& v : vectors) ptrs.push_back(&v);
    return ond::assignment_of(ptrs, bits);
}

Vector wrapping() {
    // Positions 64 and 65 take bits 0 and 1 again.
    Vector v(66, Expr::imm(false));
    v[64] = var(5);
    v[65] = var(6);
    return v;
}

struct AssignmentCase {
    std::string name;
    std::vector<Vector> vectors;
    std::vector<std::uint64_t> bits;
    SymbolValues want;
};

// Rows print by name: gtest's fallback would dump their bytes, padding included.
void PrintTo(AssignmentCase const& c, std::ostream* os) {
    *os << c.name;
}

class AssignmentOf : public ::testing::TestWithParam<AssignmentCase> {};

TEST_P(AssignmentOf, ReadsBitJOfTheIntegerIntoElementJ) {
    auto const& c = GetParam();
    EXPECT_EQ(assign(c.vectors, c.bits), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AssignmentOf,
    ::testing::Values(
        AssignmentCase{"none", {}, {}, {}},
        AssignmentCase{"least_significant_first",
                       {Vector{var(0), var(1), var(2)}},
                       {0b110},
                       {{0, false}, {1, true}, {2, true}}},
        AssignmentCase{
            "non_symbols_skipped",
            {Vector{var(0), Expr::imm(true), node(expr_type_id::mul, {var(1), var(2)}), var(3)}},
            {0b1001},
            {{0, true}, {3, true}}},
        AssignmentCase{"repeat_in_one_vector_is_or", {Vector{var(4), var(4)}}, {0b10}, {{4, true}}},
        AssignmentCase{
            "repeat_across_vectors_is_or", {Vector{var(4)}, Vector{var(4)}}, {1, 0}, {{4, true}}},
        AssignmentCase{
            "repeat_of_zeros_stays_zero", {Vector{var(4)}, Vector{var(4)}}, {0, 0}, {{4, false}}},
        AssignmentCase{"positions_wrap_at_64", {wrapping()}, {0b01}, {{5, true}, {6, false}}},
        AssignmentCase{
            "argument_symbols", {Vector{var(big), var(1)}}, {0b01}, {{1, false}, {big, true}}}),
    [](auto const& info) { return info.param.name; });

TEST(AssignmentOf, ListsOfDifferentLengthsAreRefused) {
    Vector v{var(0)};
    std::vector<Vector const*> one{&v};
    std::vector<std::uint64_t> two{1, 0};
    EXPECT_THROW(ond::assignment_of(one, two), ond::errors::SizeMismatch);
    EXPECT_THROW(ond::assignment_of({}, two), ond::errors::SizeMismatch);
}

// Each tree with the symbols 0..3 and `big` in several positions, and what it becomes when
// 0 -> 1, 1 -> 0, 2 -> 1 (3 untouched), with and without big -> 1.
struct StrategyCase {
    std::string name;
    Expr tree;
    Expr want_small; // only the small symbols assigned
    Expr want_all;   // big assigned as well
};

std::vector<StrategyCase> strategy_cases() {
    using T = expr_type_id;
    Expr one = Expr::imm(true), zero = Expr::imm(false);
    return {
        {"leaf", var(0), one, one},
        {"untouched_leaf", var(3), var(3), var(3)},
        {"big_leaf", var(big), var(big), one},
        {"sum_resorted", node(T::add, {var(0), var(3), var(big)}),
         node(T::add, {one, var(3), var(big)}), node(T::add, {one, var(3), one})},
        {"nested", node(T::mul, {node(T::add, {var(1), var(2)}), var(3), var(big)}),
         node(T::mul, {node(T::add, {zero, one}), var(3), var(big)}),
         node(T::mul, {node(T::add, {zero, one}), var(3), one})},
        {"or_keeps_duplicates", node(T::or_, {var(big), var(big), var(2)}),
         node(T::or_, {var(big), var(big), one}), node(T::or_, {one, one, one})},
    };
}

void PrintTo(StrategyCase const& c, std::ostream* os) {
    *os << c.name;
}

class Strategies : public ::testing::TestWithParam<StrategyCase> {};

TEST_P(Strategies, BitSetsAndMapGiveTheSameTree) {
    auto const& c = GetParam();
    SymbolValues small{{0, true}, {1, false}, {2, true}};
    SymbolValues with_big = small;
    with_big[big] = true;
    SymbolValues big_absent = small;
    big_absent[big + 1] = false; // forces the map, replaces nothing more

    Expr by_bits = c.tree;
    ond::subs(by_bits, small);
    EXPECT_EQ(by_bits, c.want_small);

    Expr by_map = c.tree;
    ond::subs(by_map, big_absent);
    EXPECT_EQ(by_map, c.want_small);

    Expr all = c.tree;
    ond::subs(all, with_big);
    EXPECT_EQ(all, c.want_all);
}

INSTANTIATE_TEST_SUITE_P(Rows, Strategies, ::testing::ValuesIn(strategy_cases()),
                         [](auto const& info) { return info.param.name; });

TEST(SubsVectors, ContainersSubstituteEveryElementAsTheExpressionEntryPoint) {
    Vector syms{var(0), var(1), var(big)};
    std::vector<Vector const*> vectors{&syms};
    std::vector<std::uint64_t> bits{0b101};
    std::vector<Expr> elements;
    for (StrategyCase const& c : strategy_cases()) elements.push_back(c.tree);

    std::vector<Expr> want;
    for (Expr e : elements) {
        ond::subs_vectors(e, vectors, bits);
        want.push_back(e);
    }
    Vector v(Vector::storage_type(elements.begin(), elements.end()));
    ond::subs_vectors(v, vectors, bits);
    Matrix m(2, 3);
    for (std::size_t i = 0; i < 6; ++i) m.elements()[i] = elements[i];
    ond::subs_vectors(m, vectors, bits);
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(v[i], want[i]) << i;
        EXPECT_EQ(m.elements()[i], want[i]) << i;
    }
    EXPECT_EQ(want[2], Expr::imm(true)); // the argument symbol took bit 2
}

} // namespace
