// The fuzz program: a byte string decoded into a sequence of operations on a small pool of
// expressions, vectors and matrices, with the core's invariants checked after every step. The
// libFuzzer entry point and the corpus replay test both run it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// The operations, by opcode: how many there are, and the name of each (nullptr past the last).
// Append-only, so that the checked-in corpus keeps its meaning.
std::size_t operation_count();
const char* operation_name(std::size_t opcode);

// What a libFuzzer entry point does with one input: runs `run` on it and turns a Violation into
// a report and an abort, so that libFuzzer keeps the input as a crash.
template <class Run>
int run_or_abort(Run run, std::uint8_t const* data, std::size_t size) {
    try {
        run(data, size);
    } catch (Violation const& v) {
        std::fprintf(stderr, "invariant violated: %s\n", v.what());
        std::abort();
    }
    return 0;
}

} // namespace ond::fuzz
