// OND_ASSERT: evaluated only in builds with assertions, where a broken invariant stops the
// process with the file, the line and the message; the invariants checked where lists and nodes
// are made fire on a list or a node that breaks them.
#include "expr/assert.hpp"
#include "expr/expr.hpp"
#include "expr/sorted_vector.hpp"

#include <gtest/gtest.h>

#include <vector>

using namespace ond;

TEST(Assert, ConditionIsEvaluatedOnlyWhenAssertionsAreOn) {
    int evaluated = 0;
    OND_ASSERT(++evaluated > 0, "never false");
    EXPECT_EQ(evaluated, asserts_enabled ? 1 : 0);
}

#ifdef OND_ENABLE_ASSERTS

using SV = SortedVector<std::vector<int>, 3>;

TEST(AssertDeathTest, ReportsFileLineAndMessage) {
    EXPECT_DEATH(OND_ASSERT(1 + 1 == 3, "arithmetic broke"),
                 "test_assert\\.cpp:[0-9]+: invariant broken: arithmetic broke");
}

TEST(AssertDeathTest, InsertionAtAPositionNoSearchGives) {
    auto insert_at = [](std::vector<int> v, std::size_t at, int x) {
        SV s(std::move(v));
        s.insert_at(s.begin() + at, x);
    };
    EXPECT_DEATH(insert_at({1, 3, 5}, 0, 4), "before a smaller element");
    // After a larger element, between two in order and at the end.
    EXPECT_DEATH(insert_at({1, 3, 5}, 2, 2), "after a larger element");
    EXPECT_DEATH(insert_at({1, 3, 5}, 3, 4), "after a larger element");
}

TEST(AssertDeathTest, NodeWithALeafKind) {
    EXPECT_DEATH(static_cast<void>(Expr(expr_type_id::sym, ExprArgs())),
                 "a node built with a leaf's kind");
}

// Wherever the search lands on an unsorted list (the list of a raw node), the checks on the
// insertions hold: the halving search may stop on an equal element after a larger one.
TEST(AssertOn, SearchedInsertionsIntoUnsortedListsPass) {
    std::vector<std::vector<int>> lists = {
        {1, 2, 2, 9, 5, 6, 7, 8}, {9, 1}, {5, 1, 3}, {3, 3, 1, 1, 7, 0, 2, 9, 4}};
    for (std::vector<int> const& v : lists) {
        for (int x = -1; x <= 10; ++x) {
            SV plain(v), unique(v), at(v);
            plain.insert(x);
            unique.insert_unique(x);
            at.insert_at(at.find(x).first, x);
            EXPECT_EQ(at.container(), plain.container()) << x;
        }
    }
}

#endif
