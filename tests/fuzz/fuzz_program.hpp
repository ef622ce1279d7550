// The fuzz program: a byte string decoded into a sequence of operations on a small pool of
// expressions, vectors and matrices, with the core's invariants checked after every step. The
// libFuzzer entry point and the corpus replay test both run it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace ond::fuzz {

// An invariant that a step broke; the message names the step and what was wrong.
class Violation : public std::logic_error {
public:
    explicit Violation(std::string const& what) : std::logic_error(what) {}
};

// Runs the operations the bytes encode; throws Violation on the first broken invariant. Every
// other exception that escapes is a fault of the core as well: the program only asks for
// operations whose preconditions hold, and catches the errors it provokes on purpose.
void run_program(std::uint8_t const* data, std::size_t size);

} // namespace ond::fuzz
