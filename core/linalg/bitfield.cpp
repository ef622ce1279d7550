// bitfield: owned word array, growth and random filling. Growing copies the old words once; a
// run of rising `set` calls costs O(bits / 64) amortised copies per 64-word step.
#include "linalg/bitfield.hpp"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace ond {

namespace {

std::size_t words_for(std::size_t nbits) {
    return nbits / bitfield::word_bits + (nbits % bitfield::word_bits != 0);
}

} // namespace

bitfield::bitfield(std::size_t nbits) : nwords_(words_for(nbits)) {
    if (nwords_ != 0) words_ = new word_type[nwords_]();
}

bitfield::bitfield(bitfield const& o) : nwords_(o.nwords_) {
    if (nwords_ != 0) {
        words_ = new word_type[nwords_];
        std::copy(o.words_, o.words_ + nwords_, words_);
    }
}

bitfield::bitfield(bitfield&& o) noexcept
    : words_(std::exchange(o.words_, nullptr)), nwords_(std::exchange(o.nwords_, 0)) {}

bitfield& bitfield::operator=(bitfield const& o) {
    if (this != &o) {
        bitfield tmp(o);
        swap(tmp);
    }
    return *this;
}

bitfield& bitfield::operator=(bitfield&& o) noexcept {
    if (this != &o) {
        bitfield tmp(std::move(o));
        swap(tmp);
    }
    return *this;
}

void bitfield::swap(bitfield& o) noexcept {
    std::swap(words_, o.words_);
    std::swap(nwords_, o.nwords_);
}

void bitfield::grow_for(std::size_t i) {
    if (i < capacity()) return;
    std::size_t need = (i + word_bits) / word_bits;
    std::size_t n = nwords_ == 0 ? need : std::max(need, nwords_ + 64);
    word_type* w = new word_type[n]();
    std::copy(words_, words_ + nwords_, w);
    delete[] words_;
    words_ = w;
    nwords_ = n;
}

void bitfield::set(std::size_t i) {
    grow_for(i);
    words_[i / word_bits] |= word_type{1} << (i % word_bits);
}

void bitfield::reset(std::size_t i) {
    if (i < capacity()) words_[i / word_bits] &= ~(word_type{1} << (i % word_bits));
}

void bitfield::clear() { std::fill(words_, words_ + nwords_, word_type{0}); }

void bitfield::set_random() {
    for (std::size_t k = 0; k < nwords_; ++k) {
        auto a = static_cast<std::uint32_t>(std::rand());
        auto b = static_cast<std::uint32_t>(std::rand());
        auto p = static_cast<std::int32_t>(a * b);
        words_[k] = static_cast<word_type>(static_cast<std::int64_t>(p));
    }
}

} // namespace ond
