// libFuzzer entry point: every input is a program of core operations (fuzz_program.hpp). A
// broken invariant is reported and aborts, so that libFuzzer keeps the input as a crash.
#include "fuzz_program.hpp"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    try {
        ond::fuzz::run_program(data, size);
    } catch (ond::fuzz::Violation const& v) {
        std::fprintf(stderr, "invariant violated: %s\n", v.what());
        std::abort();
    }
    return 0;
}
