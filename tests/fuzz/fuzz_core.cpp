// libFuzzer entry point: every input is a program of core operations (fuzz_program.hpp). A
// broken invariant is reported and aborts, so that libFuzzer keeps the input as a crash.
#include "fuzz_program.hpp"

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    return ond::fuzz::run_or_abort(ond::fuzz::run_program, data, size);
}
