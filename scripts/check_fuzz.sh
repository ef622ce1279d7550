#!/usr/bin/env bash
# Short fuzz run: builds the libFuzzer fuzzers with clang in build/fuzz and runs them from the
# checked-in seeds for OND_FUZZ_SECONDS in all (default 90): two thirds for the core's program
# (fuzz_core), one third for the readers of the binary form and the text (fuzz_decode). A crash,
# a sanitizer report or a broken invariant (the program's own checks, and OND_ASSERT, which this
# build turns on) fails the script and leaves the input as build/fuzz/crash-*. Extra arguments go
# to both fuzzers. The interpreter (for cmake and ninja) is OND_PYTHON, else .venv (ensure_venv in
# env.sh); warnings are errors.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
apt_packages clang
ensure_venv

BUILD="$ROOT/build/fuzz"
CXX=clang++ configure_build "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOND_BUILD_MODULE=OFF \
    -DOND_BUILD_FUZZER=ON -DOND_ASSERTS=ON
build "$BUILD" fuzz_core fuzz_decode -j2

# New inputs go to scratch corpora; the checked-in seeds are only read.
mkdir -p "$BUILD/corpus" "$BUILD/decode_corpus"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
TOTAL="${OND_FUZZ_SECONDS:-90}"
"$BUILD/fuzz_core" -max_total_time="$((TOTAL * 2 / 3))" -timeout=10 -max_len=1024 \
    -print_final_stats=1 -artifact_prefix="$BUILD/" "$@" "$BUILD/corpus" "$ROOT/tests/fuzz/corpus"
"$BUILD/fuzz_decode" -max_total_time="$((TOTAL - TOTAL * 2 / 3))" -timeout=10 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$BUILD/" "$@" "$BUILD/decode_corpus" \
    "$ROOT/tests/fuzz/decode_corpus"
