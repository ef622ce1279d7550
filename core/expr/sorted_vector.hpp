// SortedVector: a container kept in ascending order, with the hinted halving search that every
// argument-list lookup, insertion and merge of the library goes through.
#pragma once

#include <algorithm>
#include <cstddef>
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
    iterator insert_at(iterator pos, value_type const& v) { return c_.insert(pos, v); }
    iterator insert_at(iterator pos, value_type&& v) { return c_.insert(pos, std::move(v)); }

    // Search for `key` from `hint` on. Every element before `hint` must be less than `key`.
    // Returns the position and whether an equal element was met; a position that is not found
    // but holds an element equal to the key is possible (the linear scan does not test
    // equality), and callers treat it as found.
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

    // Inserts `v` unless an equal element is present.
    std::pair<iterator, bool> insert_unique(value_type const& v) { return insert_unique_impl(v); }
    std::pair<iterator, bool> insert_unique(value_type&& v) {
        return insert_unique_impl(std::move(v));
    }

    // Inserts at the sorted position even when an equal element is present.
    iterator insert(value_type const& v) { return c_.insert(find(v).first, v); }
    iterator insert(value_type&& v) {
        auto pos = find(v).first;
        return c_.insert(pos, std::move(v));
    }

    // Symmetric difference with the sorted range [first, last): equal elements cancel.
    template <class It>
    void merge_exclusive(It first, It last) {
        merge_impl<true>(first, last);
    }
    // Union with the sorted range [first, last): equal elements are kept once.
    template <class It>
    void merge_union(It first, It last) {
        merge_impl<false>(first, last);
    }

    void sort() { std::sort(c_.begin(), c_.end()); }

private:
    std::pair<const_iterator, bool> find_impl(value_type const& key, const_iterator hint) const {
        const_iterator end = c_.cend();
        if (hint == end) return {end, false};
        int c = sv_compare(*hint, key);
        if (c == 0) return {hint, true};
        if (c > 0) return {hint, false};
        const_iterator lo = hint, hi = end;
        while (static_cast<std::size_t>(hi - lo) > N) {
            const_iterator mid = lo + (hi - lo) / 2;
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

    template <class V>
    std::pair<iterator, bool> insert_unique_impl(V&& v) {
        auto [pos, found] = find(v);
        if (found || (pos != c_.end() && *pos == v)) return {pos, false};
        return {c_.insert(pos, std::forward<V>(v)), true};
    }

    template <bool Exclusive, class It>
    void merge_impl(It first, It last) {
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
                auto [pos, found] = find(*p, c_.begin() + q);
                if (found || (pos != c_.end() && *pos == *p)) {
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

    C c_;
};

} // namespace ond
