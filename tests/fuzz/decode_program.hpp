// The decoder's fuzz program: the first byte picks the reader (one binary form of each value
// class, or the text reader), the rest is its input. Damaged input must be refused with the
// reader's own error; what is read must write back and read again to the same value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ond::fuzz {

// Throws Violation (fuzz_program.hpp) when a read value does not survive writing it back, or
// when a reader fails with anything but its refusal of the input.
void run_decode(std::uint8_t const* data, std::size_t size);

// The readers, by the number the first byte picks: how many there are, and the name of each
// (nullptr past the last). Append-only, so that the checked-in corpus keeps its meaning.
std::size_t reader_count();
const char* reader_name(std::size_t number);

} // namespace ond::fuzz
