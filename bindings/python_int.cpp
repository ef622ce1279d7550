#include "python_int.hpp"

#include "expr/memory_budget.hpp"

#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ondrex_py {

static_assert(std::endian::native == std::endian::little,
              "words are copied as little-endian bytes");

namespace {

py::handle int_type() { return reinterpret_cast<PyObject*>(&PyLong_Type); }

} // namespace

py::int_ int_from_words(std::span<std::uint64_t const> words) {
    py::bytes b(reinterpret_cast<char const*>(words.data()), words.size() * sizeof(std::uint64_t));
    return py::int_(int_type().attr("from_bytes")(b, "little"));
}

std::vector<std::uint64_t> words_from_int(py::int_ const& v, std::size_t nbits, const char* what) {
    int negative = PyObject_RichCompareBool(v.ptr(), py::int_(0).ptr(), Py_LT);
    if (negative < 0) throw py::error_already_set();
    if (negative) throw std::overflow_error(std::string(what) + " is negative");
    auto width = v.attr("bit_length")().cast<std::size_t>();
    if (width > nbits)
        throw std::overflow_error(std::string(what) + " needs " + std::to_string(width) +
                                  " bits, more than " + std::to_string(nbits));
    std::size_t n = nbits / 64 + (nbits % 64 != 0);
    ond::require_memory(n, sizeof(std::uint64_t));
    std::vector<std::uint64_t> w(n, 0);
    if (n == 0) return w;
    py::bytes b = v.attr("to_bytes")(n * sizeof(std::uint64_t), "little");
    std::string_view s = b;
    std::memcpy(w.data(), s.data(), s.size());
    return w;
}

} // namespace ondrex_py
