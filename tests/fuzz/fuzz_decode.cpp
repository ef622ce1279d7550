// libFuzzer entry point of the readers (decode_program.hpp): a broken round trip is reported
// and aborts, so that libFuzzer keeps the input.
#include "decode_program.hpp"
#include "fuzz_program.hpp"

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    return ond::fuzz::run_or_abort(ond::fuzz::run_decode, data, size);
}
