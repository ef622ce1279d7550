// SortedVector: a container kept in ascending order, with the hinted halving search that every
// argument-list lookup and insertion of the library goes through, and the exclusive and union
// merges, O(n + m) element moves for m elements merged into n.
#pragma once

#include "expr/assert.hpp"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

namespace ond {

// Three-way comparison used by the search. Element types provide `compare(a, b)` returning
// negative, zero or positive, consistent with their operator< and operator==; the default
// falls back on the two operators.
template <class T>
int sv_compare(T const& a, T const& b) {
    if (a == b) return 0;
    return a < b ? -1 : 1;
}

template <class C, std::size_t N>
class SortedVector {
public:
    using container_type = C;
    using value_type = typename C::value_type;
    using iterator = typename C::iterator;
    using const_iterator = typename C::const_iterator;
    using size_type = typename C::size_type;

    SortedVector() = default;
    explicit SortedVector(C c) : c_(std::move(c)) {}

    value_type const& operator[](size_type i) const { return c_[i]; }
    value_type& operator[](size_type i) { return c_[i]; }
    size_type size() const { return c_.size(); }
    bool empty() const { return c_.empty(); }

    iterator begin() { return c_.begin(); }
    iterator end() { return c_.end(); }
    const_iterator begin() const { return c_.begin(); }
    const_iterator end() const { return c_.end(); }

    value_type& front() { return c_.front(); }
    value_type& back() { return c_.back(); }
    value_type const& front() const { return c_.front(); }
    value_type const& back() const { return c_.back(); }

    // Direct access for the passes that rebuild a list wholesale.
    C& container() { return c_; }
    C const& container() const { return c_; }

    void reserve(size_type n) { c_.reserve(n); }
    void clear() { c_.clear(); }
    void shrink_to_fit() { c_.shrink_to_fit(); }
    void swap(SortedVector& o) noexcept { c_.swap(o.c_); }

    // Appends without searching: callers guarantee the order is kept.
    void push_back(value_type const& v) { c_.push_back(v); }
    void push_back(value_type&& v) { c_.push_back(std::move(v)); }

    iterator erase(iterator pos) { return c_.erase(pos); }
    iterator erase(iterator first, iterator last) { return c_.erase(first, last); }
    // Inserts at `pos`, which must be where a search for `v` landed.
    iterator insert_at(iterator pos, value_type const& v) { return checked(c_.insert(pos, v)); }
    iterator insert_at(iterator pos, value_type&& v) {
        return checked(c_.insert(pos, std::move(v)));
    }

    // Search for `key` from `hint` on. Every element before `hint` must be less than `key`.
    // Returns the position and whether an equal element was met; a position that is not found
    // but holds an element equal to the key is possible (the linear scan does not test
    // equality). Deliberate: the interface defines the search so. Membership tests use locate.
    std::pair<iterator, bool> find(value_type const& key, iterator hint) {
        auto r = find_impl(key, const_iterator(hint));
        return {c_.begin() + (r.first - c_.cbegin()), r.second};
    }
    std::pair<const_iterator, bool> find(value_type const& key, const_iterator hint) const {
        return find_impl(key, hint);
    }
    std::pair<iterator, bool> find(value_type const& key) { return find(key, c_.begin()); }
    std::pair<const_iterator, bool> find(value_type const& key) const {
        return find_impl(key, c_.cbegin());
    }

    // The same search, answering whether the returned position holds an equal element: what
    // every membership test needs. find's "not found" on an equal element is deliberate (the
    // interface defines the search so, and the tests of find pin it); here it counts as present,
    // the one place that says so. A hint past an equal element does not see it. Same cost as find.
    std::pair<iterator, bool> locate(value_type const& key, iterator hint) {
        return locate_in(key, hint, c_.end());
    }
    std::pair<const_iterator, bool> locate(value_type const& key, const_iterator hint) const {
        return locate_in(key, hint, c_.cend());
    }
    std::pair<iterator, bool> locate(value_type const& key) { return locate(key, c_.begin()); }
    std::pair<const_iterator, bool> locate(value_type const& key) const {
        return locate(key, c_.cbegin());
    }

    // Exclusive-or of one element: an equal element present cancels with it, else it is inserted
    // at its sorted position. O(n) for the shift.
    template <class V>
    void toggle(V&& v) {
        auto [pos, present] = locate(v);
        if (present)
            c_.erase(pos);
        else
            checked(c_.insert(pos, std::forward<V>(v)));
    }

    // Inserts `v` unless an equal element is present.
    std::pair<iterator, bool> insert_unique(value_type const& v) { return insert_unique_impl(v); }
    std::pair<iterator, bool> insert_unique(value_type&& v) {
        return insert_unique_impl(std::move(v));
    }

    // Inserts at the sorted position even when an equal element is present.
    iterator insert(value_type const& v) { return checked(c_.insert(find(v).first, v)); }
    iterator insert(value_type&& v) {
        auto pos = find(v).first;
        return checked(c_.insert(pos, std::move(v)));
    }

    // Symmetric difference with the sorted range [first, last): equal elements cancel.
    // O(n + m) element moves for m elements merged into n; on allocation failure the container
    // is left unchanged.
    template <class It>
    void merge_exclusive(It first, It last) {
        merge_impl<true>(first, last);
    }
    // Union with the sorted range [first, last): equal elements are kept once. Same cost.
    template <class It>
    void merge_union(It first, It last) {
        merge_impl<false>(first, last);
    }

    // The same merges into a copy of `base`, built in a fresh container: what merging into a
    // copy would give, without copying `base` twice.
    template <class It>
    static SortedVector merged_exclusive(SortedVector const& base, It first, It last) {
        return merged_impl<true>(base, first, last);
    }
    template <class It>
    static SortedVector merged_union(SortedVector const& base, It first, It last) {
        return merged_impl<false>(base, first, last);
    }

    // The element-by-element walk that defines both merges: each element of the range is
    // searched from the running cursor and inserted or erased where it is. Every insertion
    // shifts the tail, so it costs O(n) per element; the merges above reproduce its results
    // exactly (also on unsorted lists and duplicates) and call it only for one or two elements
    // or a container of a few.
    template <class It>
    void merge_exclusive_walk(It first, It last) {
        merge_walk<true>(first, last);
    }
    template <class It>
    void merge_union_walk(It first, It last) {
        merge_walk<false>(first, last);
    }

    // Sorted and free of duplicates. O(n) comparisons.
    bool strictly_ascending() const { return strictly_ascending(c_); }

    // The exclusive merge (Exclusive) or the union of two strictly ascending lists, which the
    // caller has established: on such lists both merges are the set operations, computed here in
    // one two-pointer pass, n + m moves and at most n + m comparisons, without the searches and
    // the order check that the general merges need for arbitrary input. Both lists are consumed.
    template <bool Exclusive>
    static SortedVector merged_ascending(SortedVector&& a, SortedVector&& b) {
        OND_ASSERT(a.strictly_ascending() && b.strictly_ascending(),
                   "a set merge was given a list that does not ascend strictly");
        C out;
        out.reserve(a.size() + b.size());
        size_type i = 0, j = 0, n = a.size(), m = b.size();
        while (i < n && j < m) {
            int c = sv_compare(a.c_[i], b.c_[j]);
            if (c < 0) {
                out.push_back(std::move(a.c_[i++]));
            } else if (c > 0) {
                out.push_back(std::move(b.c_[j++]));
            } else {
                if constexpr (!Exclusive) out.push_back(std::move(a.c_[i]));
                ++i;
                ++j;
            }
        }
        for (; i < n; ++i) out.push_back(std::move(a.c_[i]));
        for (; j < m; ++j) out.push_back(std::move(b.c_[j]));
        a.c_.clear();
        b.c_.clear();
        return SortedVector(std::move(out));
    }

    // Lists that are already in order (most of them, when a tree is simplified again) cost one
    // scan instead of a sort.
    void sort() {
        if (!std::is_sorted(c_.begin(), c_.end())) std::sort(c_.begin(), c_.end());
    }

private:
    // Below this many range elements the walk's searches and shifts beat a rebuild; so they do
    // for a container this short, whose every insertion shifts a handful of elements at most,
    // and whose spare capacity (a caller's reservation) the walk fills instead of allocating.
    static constexpr std::size_t walk_max = 2;
    static constexpr std::size_t walk_max_container = 4;

    // The hinted search over [hint, end): it looks at nothing before the hint, so it also
    // answers for the untouched tail of a container that a merge is rebuilding.
    template <class RanIt>
    static std::pair<RanIt, bool> search(value_type const& key, RanIt hint, RanIt end) {
        if (hint == end) return {end, false};
        int c = sv_compare(*hint, key);
        if (c == 0) return {hint, true};
        if (c > 0) return {hint, false};
        RanIt lo = hint, hi = end;
        while (static_cast<std::size_t>(hi - lo) > N) {
            RanIt mid = lo + (hi - lo) / 2;
            int m = sv_compare(key, *mid);
            if (m == 0) return {mid, true};
            if (m < 0)
                hi = mid;
            else
                lo = mid;
        }
        while (lo != end && *lo < key) ++lo;
        return {lo, false};
    }

    std::pair<const_iterator, bool> find_impl(value_type const& key, const_iterator hint) const {
        return search(key, hint, c_.cend());
    }

    // An element inserted where a search landed is not above its successor, and not below its
    // predecessor unless the two were out of order already: even on an unsorted list (a raw
    // node) the search stops before an element that is not smaller, just past a smaller one or
    // on an equal one (whose predecessor may be anything there). Any other position breaks the
    // order of a sorted list.
    iterator checked(iterator at) const {
        OND_ASSERT(at + 1 == c_.end() || !(at[1] < *at), "inserted before a smaller element");
        OND_ASSERT(at == c_.begin() || !(*at < at[-1]) || (at + 1 != c_.end() && at[1] < at[-1]),
                   "inserted after a larger element");
        return at;
    }

    // The search, with the equal element at a "not found" position counted as present.
    template <class RanIt>
    static std::pair<RanIt, bool> locate_in(value_type const& key, RanIt hint, RanIt end) {
        auto [pos, found] = search(key, hint, end);
        return {pos, found || (pos != end && *pos == key)};
    }

    template <class V>
    std::pair<iterator, bool> insert_unique_impl(V&& v) {
        auto [pos, present] = locate(v);
        if (present) return {pos, false};
        auto at = c_.insert(pos, std::forward<V>(v));
        // Not found: the search went past smaller elements only, and stopped before a larger one.
        OND_ASSERT(at == c_.begin() || at[-1] < *at, "inserted uniquely after a larger element");
        OND_ASSERT(at + 1 == c_.end() || *at < at[1], "inserted uniquely before a smaller element");
        return {at, true};
    }

    template <bool Exclusive, class It>
    void merge_walk(It first, It last) {
        size_type q = 0;
        for (It p = first; p != last; ++p) {
            if (q == c_.size()) {
                c_.insert(c_.end(), p, last);
                return;
            }
            int c = sv_compare(*p, c_[q]);
            // An equal element is erased (exclusive) or kept with the cursor on it (union), so
            // a repeated element of the range meets it again.
            if (c == 0) {
                if constexpr (Exclusive) c_.erase(c_.begin() + q);
            } else if (c > 0) {
                auto [pos, present] = locate(*p, c_.begin() + q);
                if (present) {
                    q = pos - c_.begin();
                    if constexpr (Exclusive) c_.erase(pos);
                } else {
                    // Insertion may reallocate: read the new begin only afterwards.
                    auto inserted = c_.insert(pos, *p);
                    q = static_cast<size_type>(inserted - c_.begin()) + 1;
                }
            } else {
                c_.insert(c_.begin() + q, *p);
                ++q;
            }
        }
    }

    template <class It>
    static constexpr bool forward_range =
        std::is_base_of_v<std::forward_iterator_tag,
                          typename std::iterator_traits<It>::iterator_category>;

    template <bool Exclusive, class It>
    void merge_impl(It first, It last) {
        if constexpr (!forward_range<It>) {
            merge_walk<Exclusive>(first, last);
        } else {
            auto m = static_cast<size_type>(std::distance(first, last));
            if (m <= walk_max || c_.size() <= walk_max_container) {
                merge_walk<Exclusive>(first, last);
            } else if constexpr (std::is_nothrow_constructible_v<value_type, decltype(*first)>) {
                C out = merge_linear<Exclusive, true>(c_, first, last, m);
                c_.swap(out);
            } else {
                // Copies may throw: take them before the container gives up any element.
                C src(first, last);
                C out = merge_linear<Exclusive, true>(c_, std::make_move_iterator(src.begin()),
                                                      std::make_move_iterator(src.end()), m);
                c_.swap(out);
            }
        }
    }

    template <bool Exclusive, class It>
    static SortedVector merged_impl(SortedVector const& base, It first, It last) {
        if constexpr (!forward_range<It>) {
            SortedVector r(base.c_);
            r.merge_walk<Exclusive>(first, last);
            return r;
        } else {
            auto m = static_cast<size_type>(std::distance(first, last));
            return SortedVector(merge_linear<Exclusive, false>(base.c_, first, last, m));
        }
    }

    // Whether [0, n) ascends strictly; there every search of the walk lands on the lower bound.
    static bool strictly_ascending(C const& c) {
        return std::adjacent_find(c.begin(), c.end(), [](value_type const& x, value_type const& y) {
                   return !(x < y);
               }) == c.end();
    }

    // The first position in (lo, n) not below `key`, given base[lo] < key, on a strictly
    // ascending list: doubling steps, then halving, so a gap of g costs O(log g).
    static size_type gallop(C const& base, size_type lo, value_type const& key) {
        size_type n = base.size(), step = 1;
        while (lo + step < n && base[lo + step] < key) {
            lo += step;
            step *= 2;
        }
        size_type hi = lo + step < n ? lo + step : n;
        auto b = base.begin();
        return static_cast<size_type>(std::lower_bound(b + lo + 1, b + hi, key) - b);
    }

    // Whether galloping searches may stand in for the halving ones: only on a strictly
    // ascending list, and only when m searches can pay for the O(n) check of that.
    static bool gallop_pays(C const& base, size_type m) {
        size_type n = base.size(), log2n = 0;
        for (size_type k = n; k > 1; k >>= 1) ++log2n;
        return m * (log2n + 1) > n && strictly_ascending(base);
    }

    // Where the walk's search for `key` from base[j] on (base[j] < key) lands, and whether an
    // equal element is there: galloping, or the walk's own search.
    static std::pair<size_type, bool> land(C const& base, size_type j, value_type const& key,
                                           bool galloping) {
        if (galloping) {
            size_type pos = gallop(base, j, key);
            return {pos, pos != base.size() && base[pos] == key};
        }
        auto b = base.begin();
        auto [pos, present] = locate_in(key, b + j, base.end());
        return {static_cast<size_type>(pos - b), present};
    }

    // Appends base[from, to) to `out`: moved (MoveBase) or copied, once each.
    template <bool MoveBase, class BaseC>
    static void take(C& out, BaseC& base, size_type from, size_type to) {
        for (size_type i = from; i < to; ++i) {
            if constexpr (MoveBase)
                out.push_back(std::move(base[i]));
            else
                out.push_back(base[i]);
        }
    }

    // The walk, replayed into a fresh list: the walk only ever changes the container at or
    // after its cursor, so the elements from the cursor on are always the untouched tail of
    // the original list, and each search can run there. What the walk would shift is moved
    // (MoveBase) or copied once instead. The searches are the walk's own halving searches, or,
    // when the list ascends strictly and m is large enough to pay for checking that, galloping
    // ones, which land on the same positions.
    template <bool Exclusive, bool MoveBase, class BaseC, class It>
    static C merge_linear(BaseC& base, It first, It last, size_type m) {
        size_type n = base.size();
        C out;
        out.reserve(n + m);
        bool galloping = gallop_pays(base, m);
        size_type j = 0;
        for (It p = first; p != last; ++p) {
            if (j == n) {
                for (; p != last; ++p) out.push_back(*p);
                return out;
            }
            value_type const& key = *p;
            int c = sv_compare(key, base[j]);
            if (c == 0) {
                // Exclusive: the walk erases base[j]. Union: it skips the element.
                if constexpr (Exclusive) ++j;
                continue;
            }
            if (c < 0) {
                out.push_back(*p);
                continue;
            }
            auto [pos, found] = land(base, j, key, galloping);
            take<MoveBase>(out, base, j, pos);
            if (found) {
                j = Exclusive ? pos + 1 : pos;
            } else {
                out.push_back(*p);
                j = pos;
            }
        }
        take<MoveBase>(out, base, j, n);
        return out;
    }

    C c_;
};

} // namespace ond
