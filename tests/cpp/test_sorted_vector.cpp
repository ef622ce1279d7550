#include "expr/sorted_vector.hpp"

#include <gtest/gtest.h>

#include <vector>

using SV = ond::SortedVector<std::vector<int>, 3>;

static SV make(std::vector<int> v) { return SV(std::move(v)); }

TEST(SortedVector, FindWithHint) {
    SV s = make({1, 3, 5, 7, 9, 11, 13, 15});
    for (int k : {1, 3, 9, 15}) {
        auto [pos, found] = s.find(k);
        EXPECT_TRUE(found || (pos != s.end() && *pos == k)) << k;
        EXPECT_EQ(*pos, k);
    }
    for (int k : {0, 2, 8, 14, 16}) {
        auto [pos, found] = s.find(k);
        EXPECT_FALSE(found);
        EXPECT_EQ(pos - s.begin(), std::lower_bound(s.begin(), s.end(), k) - s.begin()) << k;
    }
    // A key below the hint's element answers the hint itself.
    auto hint = s.begin() + 4;
    EXPECT_EQ(s.find(8, hint).first, hint);
    EXPECT_EQ(s.find(1, s.end()).first, s.end());
}

TEST(SortedVector, UniqueAndPlainInsertion) {
    SV s;
    for (int v : {5, 1, 3, 1, 5, 2}) s.insert_unique(v);
    EXPECT_EQ(s.container(), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_FALSE(s.insert_unique(3).second);
    s.insert(3);
    EXPECT_EQ(s.container(), (std::vector<int>{1, 2, 3, 3, 5}));
    auto next = s.erase(s.begin() + 1);
    EXPECT_EQ(*next, 3);
}

struct MergeCase {
    std::vector<int> base, range, exclusive, united;
};

class SortedVectorMerge : public ::testing::TestWithParam<MergeCase> {};

TEST_P(SortedVectorMerge, BothMerges) {
    auto const& c = GetParam();
    SV x = make(c.base);
    x.merge_exclusive(c.range.begin(), c.range.end());
    EXPECT_EQ(x.container(), c.exclusive);
    SV u = make(c.base);
    u.merge_union(c.range.begin(), c.range.end());
    EXPECT_EQ(u.container(), c.united);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SortedVectorMerge,
    ::testing::Values(MergeCase{{}, {1, 2}, {1, 2}, {1, 2}}, MergeCase{{1, 2}, {}, {1, 2}, {1, 2}},
                      MergeCase{{1, 2, 3}, {1, 2, 3}, {}, {1, 2, 3}},
                      MergeCase{{1, 4, 6, 8, 10, 12, 14}, {0, 4, 9, 14, 20},
                                {0, 1, 6, 8, 9, 10, 12, 20}, {0, 1, 4, 6, 8, 9, 10, 12, 14, 20}},
                      MergeCase{{2, 4}, {1, 3, 5}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
                      // A searched insertion that reallocates, then more elements after it.
                      MergeCase{{0, 2}, {1, 3, 4}, {0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}},
                      // A repeated element of the range meets the kept or erased one again.
                      MergeCase{{1}, {1, 1}, {1}, {1}}, MergeCase{{1, 5}, {5, 5}, {1, 5}, {1, 5}},
                      MergeCase{{0, 5, 10, 15, 20}, {7, 12, 17, 22},
                                {0, 5, 7, 10, 12, 15, 17, 20, 22},
                                {0, 5, 7, 10, 12, 15, 17, 20, 22}}));
