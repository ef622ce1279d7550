// bitfield: a growable set of bits indexed by symbol index, the constant assignment that `subs`
// reads (one set says which symbols are replaced, another which value each one takes).
#pragma once

#include "expr/export.hpp"

#include <cstddef>
#include <cstdint>

namespace ond {

class OND_API bitfield {
public:
    using word_type = std::uint64_t;
    static constexpr std::size_t word_bits = 64;

    bitfield() noexcept = default;
    // Room for `nbits` bits (rounded up to whole words), all clear.
    explicit bitfield(std::size_t nbits);

    bitfield(bitfield const& o);
    bitfield(bitfield&& o) noexcept;
    bitfield& operator=(bitfield const& o);
    bitfield& operator=(bitfield&& o) noexcept;
    ~bitfield() { delete[] words_; }

    std::size_t nwords() const { return nwords_; }
    std::size_t capacity() const { return nwords_ * word_bits; }
    word_type const* words() const { return words_; }

    // A bit at or beyond the capacity reads as 0.
    bool get(std::size_t i) const {
        return i < capacity() && ((words_[i / word_bits] >> (i % word_bits)) & 1u) != 0;
    }
    // Sets bit `i`, growing the set first when it is beyond the capacity.
    void set(std::size_t i);
    // Clears bit `i`; a bit beyond the capacity is already clear.
    void reset(std::size_t i);
    // Makes room for bit `i`: a set without words gets exactly (i + 64) / 64 of them, otherwise
    // at least 64 more than it has, so that setting rising indices one by one stays linear.
    void grow_for(std::size_t i);
    // Clears every bit, keeping the capacity.
    void clear();

    // Fills every word with the product of two rand() draws, taken as a wrapping 32-bit signed
    // multiplication sign-extended to 64 bits. The generator is never seeded here.
    void set_random();

    void swap(bitfield& o) noexcept;

private:
    word_type* words_ = nullptr;
    std::size_t nwords_ = 0;
};

} // namespace ond
