#include "expr/expr.hpp"
#include "expr/sorted_vector.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <new>
#include <ostream>
#include <random>
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

// locate against a plain scan of [hint, end): the first element not below the key, and whether
// it equals the key. The rows include keys that find reports as not found on an equal element,
// a hint already past an equal element (a duplicate looked for after its first match), and
// duplicates in the list.
struct LocateCase {
    std::vector<int> list;
    int key;
    std::size_t hint;
};

// Without it, the test names print the case's bytes, padding included, which valgrind reports
// as a read of uninitialised memory.
void PrintTo(LocateCase const& c, std::ostream* os) {
    *os << "key " << c.key << " from " << c.hint << " in [";
    for (std::size_t i = 0; i < c.list.size(); ++i) *os << (i ? " " : "") << c.list[i];
    *os << "]";
}

class SortedVectorLocate : public ::testing::TestWithParam<LocateCase> {};

TEST_P(SortedVectorLocate, EqualElementAtThePositionIsPresent) {
    auto const& c = GetParam();
    SV s = make(c.list);
    auto hint = s.begin() + static_cast<std::ptrdiff_t>(c.hint);
    auto expect = std::find_if(hint, s.end(), [&](int x) { return !(x < c.key); });
    bool expect_present = expect != s.end() && *expect == c.key;
    auto [pos, present] = s.locate(c.key, hint);
    EXPECT_EQ(pos - s.begin(), expect - s.begin());
    EXPECT_EQ(present, expect_present);
    // The const overload and find agree on the position; find never claims more than locate.
    SV const& cs = s;
    auto cr = cs.locate(c.key, cs.begin() + static_cast<std::ptrdiff_t>(c.hint));
    EXPECT_EQ(cr.first - cs.begin(), expect - s.begin());
    EXPECT_EQ(cr.second, expect_present);
    auto [fpos, found] = s.find(c.key, hint);
    EXPECT_EQ(fpos, pos);
    EXPECT_TRUE(!found || present);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SortedVectorLocate,
    ::testing::Values(LocateCase{{}, 1, 0}, LocateCase{{1, 3, 5, 7, 9, 11, 13, 15}, 3, 0},
                      LocateCase{{1, 3, 5, 7, 9, 11, 13, 15}, 13, 0},
                      LocateCase{{1, 3, 5, 7, 9, 11, 13, 15}, 9, 0},
                      LocateCase{{1, 3, 5, 7, 9, 11, 13, 15}, 8, 0},
                      LocateCase{{1, 3, 5, 7, 9, 11, 13, 15}, 16, 0},
                      LocateCase{{1, 3, 5, 7, 9, 11, 13, 15}, 15, 8},
                      LocateCase{{1, 3, 5, 7, 9, 11, 13, 15}, 3, 2},
                      LocateCase{{1, 3, 5, 7, 9, 11, 13, 15}, 7, 4},
                      LocateCase{{1, 2, 2, 2, 2, 2, 2, 3}, 2, 1},
                      LocateCase{{1, 2, 2, 2, 2, 2, 2, 3}, 2, 7}));

TEST(SortedVector, ToggleCancelsOrInserts) {
    // 3 is an element that find reports as not found; toggling it must still cancel it.
    SV s = make({1, 3, 5, 7, 9, 11, 13, 15});
    ASSERT_FALSE(s.find(3).second);
    s.toggle(3);
    EXPECT_EQ(s.container(), (std::vector<int>{1, 5, 7, 9, 11, 13, 15}));
    s.toggle(3);
    s.toggle(16);
    EXPECT_EQ(s.container(), (std::vector<int>{1, 3, 5, 7, 9, 11, 13, 15, 16}));
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

// The rebuilt merges against the element-by-element walk that defines them, over ints and over
// expressions (heap-owning nodes, whose copies may throw and whose moves leave shells behind).
namespace {

struct ListPair {
    const char* what;
    std::vector<int> base, range;
};

std::vector<int> iota_step(int from, int count, int step) {
    std::vector<int> v;
    for (int i = 0; i < count; ++i) v.push_back(from + i * step);
    return v;
}

std::vector<int> random_list(std::mt19937& g, std::size_t n, int domain, bool sorted) {
    std::uniform_int_distribution<int> d(0, domain - 1);
    std::vector<int> v(n);
    for (int& x : v) x = d(g);
    if (sorted) std::sort(v.begin(), v.end());
    return v;
}

std::vector<int> distinct_sorted(std::mt19937& g, std::size_t n, int domain) {
    std::vector<int> v = random_list(g, n, domain, true);
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

std::vector<ListPair> merge_pairs() {
    std::vector<ListPair> c = {
        {"both empty", {}, {}},
        {"empty container", {}, iota_step(0, 9, 2)},
        {"empty range", iota_step(0, 9, 2), {}},
        {"one into many", iota_step(0, 40, 3), {31}},
        {"two into many, one equal", iota_step(0, 40, 3), {30, 31}},
        {"all equal, more in the range", std::vector<int>(3, 7), std::vector<int>(5, 7)},
        {"all equal, more in the container", std::vector<int>(6, 7), std::vector<int>(4, 7)},
        {"all equal, long container", std::vector<int>(50, 7), std::vector<int>(3, 7)},
        {"interleaved", iota_step(0, 300, 2), iota_step(1, 300, 2)},
        {"interleaved, every other equal", iota_step(0, 300, 2), iota_step(0, 300, 4)},
        {"range entirely before", iota_step(1000, 200, 1), iota_step(0, 150, 1)},
        {"range entirely after", iota_step(0, 150, 1), iota_step(1000, 200, 1)},
        {"range equals container", iota_step(5, 120, 7), iota_step(5, 120, 7)},
        {"range inside a gap", {0, 1, 2, 1000, 1001}, iota_step(10, 50, 3)},
        {"duplicates on both sides",
         {1, 1, 2, 2, 2, 5, 9, 9, 9, 9, 9, 12},
         {0, 1, 1, 1, 2, 9, 9, 12, 12, 12, 13}},
        {"unsorted container", {9, 3, 7, 1, 8, 2, 6, 0, 5, 4}, {1, 2, 4, 6, 10}},
        {"unsorted range", iota_step(0, 30, 2), {17, 3, 40, 8, 2, 2, 61, 0}},
    };
    std::mt19937 g(12);
    // Sizes on both sides of the switch between the walk's halving searches and galloping.
    for (std::size_t n : {3u, 17u, 200u, 2000u}) {
        for (std::size_t m : {3u, 5u, 40u, 700u}) {
            c.push_back({"random distinct", distinct_sorted(g, n, 4 * int(n + m)),
                         distinct_sorted(g, m, 4 * int(n + m))});
            c.push_back({"random, heavy overlap", distinct_sorted(g, n, int(n + m) / 2 + 1),
                         distinct_sorted(g, m, int(n + m) / 2 + 1)});
            c.push_back({"random with duplicates", random_list(g, n, int(n) / 3 + 2, true),
                         random_list(g, m, int(n) / 3 + 2, true)});
            c.push_back({"random unsorted container", random_list(g, n, int(n + m), false),
                         distinct_sorted(g, m, int(n + m))});
        }
    }
    // A strictly ascending container but for one pair near the end.
    std::vector<int> almost = iota_step(0, 500, 2);
    std::swap(almost[480], almost[481]);
    c.push_back({"one inversion near the end", almost, iota_step(1, 400, 2)});
    return c;
}

template <class T>
struct Elements;

template <>
struct Elements<int> {
    static int make(int k) { return k; }
};

// An order-preserving map from ints to products: the first factor decides, so comparisons
// descend into the nodes.
template <>
struct Elements<ond::Expr> {
    static ond::Expr make(int k) {
        return ond::ExprMul{ond::ExprSym(unsigned(k)), ond::ExprSym(unsigned(k) + 100000u)};
    }
};

template <class T>
std::vector<T> elements(std::vector<int> const& v) {
    std::vector<T> r;
    for (int k : v) r.push_back(Elements<T>::make(k));
    return r;
}

template <class T>
class MergeAgainstWalk : public ::testing::Test {};

using MergeElementTypes = ::testing::Types<int, ond::Expr>;
TYPED_TEST_SUITE(MergeAgainstWalk, MergeElementTypes);

TYPED_TEST(MergeAgainstWalk, SameListsAsTheWalk) {
    using T = TypeParam;
    using S = ond::SortedVector<std::vector<T>, 3>;
    for (ListPair const& lp : merge_pairs()) {
        SCOPED_TRACE(::testing::Message()
                     << lp.what << ": n = " << lp.base.size() << ", m = " << lp.range.size());
        std::vector<T> const base = elements<T>(lp.base);
        std::vector<T> const range = elements<T>(lp.range);
        for (bool exclusive : {true, false}) {
            SCOPED_TRACE(exclusive ? "exclusive" : "union");
            S want(base);
            if (exclusive)
                want.merge_exclusive_walk(range.begin(), range.end());
            else
                want.merge_union_walk(range.begin(), range.end());

            S copied(base);
            if (exclusive)
                copied.merge_exclusive(range.begin(), range.end());
            else
                copied.merge_union(range.begin(), range.end());
            EXPECT_EQ(copied.container(), want.container());

            S moved(base);
            std::vector<T> spent = range;
            auto first = std::make_move_iterator(spent.begin());
            auto last = std::make_move_iterator(spent.end());
            if (exclusive)
                moved.merge_exclusive(first, last);
            else
                moved.merge_union(first, last);
            EXPECT_EQ(moved.container(), want.container());

            S const src(base);
            S fresh = exclusive ? S::merged_exclusive(src, range.begin(), range.end())
                                : S::merged_union(src, range.begin(), range.end());
            EXPECT_EQ(fresh.container(), want.container());
            EXPECT_EQ(src.container(), base) << "the source of a fresh merge is left alone";

            // The two-pointer merge of lists known to ascend strictly, on the pairs that do.
            if (S(base).strictly_ascending() && S(range).strictly_ascending()) {
                S both = exclusive ? S::template merged_ascending<true>(S(base), S(range))
                                   : S::template merged_ascending<false>(S(base), S(range));
                EXPECT_EQ(both.container(), want.container());
            }
        }
    }
}

// Merging the same list twice undoes an exclusive merge and leaves a union merge as it was:
// a check that needs no reference walk, on lists long enough for the galloping searches.
TYPED_TEST(MergeAgainstWalk, ExclusiveTwiceRestores) {
    using T = TypeParam;
    using S = ond::SortedVector<std::vector<T>, 3>;
    std::mt19937 g(7);
    for (int round = 0; round < 4; ++round) {
        std::vector<T> const base = elements<T>(distinct_sorted(g, 3000, 9000));
        std::vector<T> const range = elements<T>(distinct_sorted(g, 2500, 9000));
        S x(base);
        x.merge_exclusive(range.begin(), range.end());
        EXPECT_TRUE(std::is_sorted(x.begin(), x.end()));
        x.merge_exclusive(range.begin(), range.end());
        EXPECT_EQ(x.container(), base);
        S u(base);
        u.merge_union(range.begin(), range.end());
        std::vector<T> once = u.container();
        u.merge_union(range.begin(), range.end());
        EXPECT_EQ(u.container(), once);
        EXPECT_TRUE(std::adjacent_find(once.begin(), once.end()) == once.end());
    }
}

// An allocator that fails on request, to see what a merge leaves when its buffer is refused.
int allocations_left = -1;

template <class T>
struct FailingAlloc {
    using value_type = T;
    FailingAlloc() = default;
    template <class U>
    FailingAlloc(FailingAlloc<U> const&) {}
    T* allocate(std::size_t n) {
        if (allocations_left == 0) throw std::bad_alloc();
        if (allocations_left > 0) --allocations_left;
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) { std::allocator<T>().deallocate(p, n); }
    friend bool operator==(FailingAlloc const&, FailingAlloc const&) { return true; }
};

} // namespace

TEST(SortedVectorMergeFailure, RefusedBufferLeavesTheContainerUnchanged) {
    using V = std::vector<int, FailingAlloc<int>>;
    using S = ond::SortedVector<V, 3>;
    V base;
    for (int i = 0; i < 100; i += 2) base.push_back(i);
    std::vector<int> range = iota_step(1, 30, 2);
    for (bool exclusive : {true, false}) {
        S s{V(base)};
        allocations_left = 0;
        if (exclusive)
            EXPECT_THROW(s.merge_exclusive(range.begin(), range.end()), std::bad_alloc);
        else
            EXPECT_THROW(s.merge_union(range.begin(), range.end()), std::bad_alloc);
        allocations_left = -1;
        EXPECT_EQ(s.container(), base);
    }
}
