// ProjectingIterator: walks an underlying bidirectional iterator and yields each element through
// a projection, so containers that store symbol indices can hand back symbols by value.
#pragma once

#include <cstddef>
#include <iterator>
#include <utility>

namespace ond {

template <class It, class Proj>
class ProjectingIterator {
public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = decltype(std::declval<Proj const&>()(*std::declval<It>()));
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = value_type;

    ProjectingIterator() = default;
    explicit ProjectingIterator(It it) : it_(it) {}

    value_type operator*() const { return Proj{}(*it_); }
    ProjectingIterator& operator++() {
        ++it_;
        return *this;
    }
    ProjectingIterator operator++(int) {
        ProjectingIterator t = *this;
        ++it_;
        return t;
    }
    ProjectingIterator& operator--() {
        --it_;
        return *this;
    }
    ProjectingIterator operator--(int) {
        ProjectingIterator t = *this;
        --it_;
        return t;
    }
    bool operator==(ProjectingIterator const& o) const { return it_ == o.it_; }
    bool operator!=(ProjectingIterator const& o) const { return it_ != o.it_; }

private:
    It it_{};
};

} // namespace ond
