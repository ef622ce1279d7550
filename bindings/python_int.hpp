// Python ints of any width, to and from little-endian runs of 64-bit words (word 0 holds bits 0
// to 63). Both directions go through int.to_bytes and int.from_bytes: O(width).
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ondrex_py {

namespace py = pybind11;

// The non-negative int the words hold.
py::int_ int_from_words(std::span<std::uint64_t const> words);

// The ceil(nbits / 64) words of `v`. Throws std::overflow_error (OverflowError) when `v` is
// negative or needs more than nbits bits; `what` names the value in the message.
std::vector<std::uint64_t> words_from_int(py::int_ const& v, std::size_t nbits, const char* what);

} // namespace ondrex_py
