// Vector: an ordered sequence of expressions, in particular a machine word whose bits are
// symbolic. Converts to and from unsigned integers in two bit orders and combines element-wise.
#pragma once

#include "expr/expr.hpp"
#include "expr/export.hpp"
#include "expr/memory_budget.hpp"

#include <cstddef>
#include <initializer_list>
#include <new>
#include <utility>
#include <vector>

namespace ond {

class OND_API Vector {
public:
    using storage_type = std::vector<Expr>;
    using value_type = Expr;
    using size_type = std::size_t;
    using reference = Expr&;
    using const_reference = Expr const&;
    using iterator = storage_type::iterator;
    using const_iterator = storage_type::const_iterator;

    Vector() = default;
    // n immediates 0.
    explicit Vector(size_type n) : elts_(fitting(n)) {}
    // n copies of `e`.
    Vector(size_type n, Expr const& e) : elts_(fitting(n, e), e) {}
    explicit Vector(storage_type elts) : elts_(std::move(elts)) {}
    Vector(std::initializer_list<Expr> l) : elts_(l) {}

    // Sequence operations of the storage.
    size_type size() const { return elts_.size(); }
    bool empty() const { return elts_.empty(); }
    // No range test: `i` must be below size().
    Expr& at(size_type i) { return elts_[i]; }
    Expr const& at(size_type i) const { return elts_[i]; }
    Expr& operator[](size_type i) { return elts_[i]; }
    Expr const& operator[](size_type i) const { return elts_[i]; }
    Expr& front() { return elts_.front(); }
    Expr const& front() const { return elts_.front(); }
    Expr& back() { return elts_.back(); }
    Expr const& back() const { return elts_.back(); }
    iterator begin() { return elts_.begin(); }
    iterator end() { return elts_.end(); }
    const_iterator begin() const { return elts_.begin(); }
    const_iterator end() const { return elts_.end(); }
    Expr* data() { return elts_.data(); }
    Expr const* data() const { return elts_.data(); }
    void resize(size_type n) { elts_.resize(n); }
    void resize(size_type n, Expr const& e) { elts_.resize(n, e); }
    void reserve(size_type n) { elts_.reserve(n); }
    size_type capacity() const { return elts_.capacity(); }
    void clear() { elts_.clear(); }
    void push_back(Expr const& e) { elts_.push_back(e); }
    void push_back(Expr&& e) { elts_.push_back(std::move(e)); }
    template <class... A>
    Expr& emplace_back(A&&... a) {
        return elts_.emplace_back(std::forward<A>(a)...);
    }
    iterator erase(iterator first, iterator last) { return elts_.erase(first, last); }
    storage_type& storage() { return elts_; }
    storage_type const& storage() const { return elts_; }

    // Every element becomes the immediate 0; the length is kept.
    void set_null();

    // `nbits` immediates, element i = bit i of `value` (element 0 the least significant bit).
    void set_int_be(unsigned long value, unsigned short nbits);
    // `nbits` immediates, element 0 = bit nbits - 1 of `value` (element 0 the most significant).
    void set_int_le(unsigned long value, unsigned short nbits);
    // The integer held by the first 64 elements; `ok` (may be null) tells whether they were all
    // immediates. On a non-immediate the bits read so far are returned.
    unsigned long get_int_be(bool* ok) const;
    unsigned long get_int_le(bool* ok) const;

    // Elements move k places toward index 0; the length is kept, zeros come in at the end.
    Vector operator<<(unsigned long k) const;
    Vector& operator<<=(unsigned long k);
    // Elements move k places toward the end; zeros come in at the front.
    Vector operator>>(unsigned long k) const;
    Vector& operator>>=(unsigned long k);

    // Element-wise operations; SizeMismatch on different lengths.
    Vector operator+(Vector const& o) const;
    Vector& operator+=(Vector const& o);
    Vector operator*(Vector const& o) const;
    Vector& operator*=(Vector const& o);
    Vector operator|(Vector const& o) const;
    Vector& operator|=(Vector const& o);

    // Every element times `e`.
    Vector operator*(Expr const& e) const;
    Vector& operator*=(Expr const& e);

    bool operator==(Vector const& o) const;
    bool operator!=(Vector const& o) const { return !(*this == o); }

    // `n`, or the allocation failure when no storage can hold n elements (copies of `e`), or
    // when they would not fit in the machine.
    static size_type fitting(size_type n) {
        if (n > storage_type().max_size()) throw std::bad_alloc();
        require_memory(n, sizeof(Expr));
        return n;
    }
    static size_type fitting(size_type n, Expr const& e) {
        fitting(n);
        require_memory(n, sizeof(Expr) + heap_footprint(e));
        return n;
    }

private:
    storage_type elts_;
};

} // namespace ond
