#!/usr/bin/env bash
# Sanitizer suite. build/asan holds the module and the GoogleTest binary built with
# AddressSanitizer and UndefinedBehaviorSanitizer; the C++ tests run there with leak detection,
# then once more under valgrind (an uninstrumented build in build/valgrind, since valgrind cannot
# run ASan code), and the whole Python suite runs against the instrumented module. Any report
# fails the script. Extra arguments go to pytest.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
apt_packages build-essential libgtest-dev valgrind
# Worktrees without a venv of their own point OND_PYTHON at one.
[ -n "${OND_PYTHON:-}" ] || ensure_venv
PY="${OND_PYTHON:-$VENV/bin/python}"
BIN="$(dirname "$PY")"

configure() {
    "$BIN/cmake" -S "$ROOT" -B "$1" -G Ninja -DCMAKE_MAKE_PROGRAM="$BIN/ninja" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOND_BUILD_TESTS=ON "${@:2}" >/dev/null
    "$BIN/cmake" --build "$1" -- -j2
}

ASAN_BUILD="$ROOT/build/asan"
configure "$ASAN_BUILD" -DOND_SANITIZE=ON -DPython_EXECUTABLE="$PY" \
    -Dpybind11_DIR="$("$PY" -m pybind11 --cmakedir)"

# halt_on_error stops at the first finding; the build makes every check unrecoverable as well.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Huge requests must fail as std::bad_alloc (MemoryError in Python), as without the sanitizer.
ASAN_COMMON=allocator_may_return_null=1:abort_on_error=1:detect_stack_use_after_return=1

echo "== GoogleTest under ASan + UBSan + LeakSanitizer"
ASAN_OPTIONS="$ASAN_COMMON:detect_leaks=1" "$ASAN_BUILD/ond_tests" --gtest_brief=1

echo "== GoogleTest under valgrind"
VALGRIND_BUILD="$ROOT/build/valgrind"
configure "$VALGRIND_BUILD" -DOND_BUILD_MODULE=OFF
valgrind --quiet --error-exitcode=1 --leak-check=full --show-leak-kinds=definite,indirect \
    --errors-for-leak-kinds=definite,indirect "$VALGRIND_BUILD/ond_tests" --gtest_brief=1

echo "== pytest against the instrumented module"
# The interpreter is not instrumented: the runtimes go first into the process, and CPython's
# own allocations that live until exit are not reported as leaks.
cd "$ROOT"
export LD_PRELOAD="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libubsan.so)"
export ASAN_OPTIONS="$ASAN_COMMON:detect_leaks=0" PYTHONPATH="$ASAN_BUILD"
"$PY" -c 'import ondrex, sys; sys.exit(0 if "/build/asan/" in ondrex.__file__ else
    "the instrumented module is not the one imported: " + ondrex.__file__)'
# Sanitizer reports are written to file descriptor 2, which pytest must not capture: the
# process ends right after the report.
"$PY" -m pytest tests -p no:cacheprovider --capture=sys "$@"
