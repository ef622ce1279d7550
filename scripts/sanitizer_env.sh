# Sourced by the sanitizer scripts (check_sanitizers.sh, stress_stale.sh): the build of the module
# and the GoogleTest binary with AddressSanitizer and UndefinedBehaviorSanitizer in build/asan, and
# the environment under which the uninstrumented interpreter loads that module.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
# Worktrees without a venv of their own point OND_PYTHON at one.
[ -n "${OND_PYTHON:-}" ] || ensure_venv
PY="${OND_PYTHON:-$VENV/bin/python}"
BIN="$(dirname "$PY")"
ASAN_BUILD="$ROOT/build/asan"

configure() {
    "$BIN/cmake" -S "$ROOT" -B "$1" -G Ninja -DCMAKE_MAKE_PROGRAM="$BIN/ninja" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOND_BUILD_TESTS=ON "${@:2}" >/dev/null
    "$BIN/cmake" --build "$1" -- -j2
}

# The arguments that build the Python module too.
module_args() {
    echo -DPython_EXECUTABLE="$PY" -Dpybind11_DIR="$("$PY" -m pybind11 --cmakedir)"
}

build_asan() {
    # shellcheck disable=SC2046
    configure "$ASAN_BUILD" -DOND_SANITIZE=ON $(module_args)
}

# halt_on_error stops at the first finding; the build makes every check unrecoverable as well.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Huge requests must fail as std::bad_alloc (MemoryError in Python), as without the sanitizer.
ASAN_COMMON=allocator_may_return_null=1:abort_on_error=1:detect_stack_use_after_return=1

# From here on Python runs the instrumented module. The interpreter is not instrumented: the
# runtimes go first into the process, and CPython's own allocations that live until exit are
# not reported as leaks.
use_asan_module() {
    export LD_PRELOAD="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libubsan.so)"
    export ASAN_OPTIONS="$ASAN_COMMON:detect_leaks=0" PYTHONPATH="$ASAN_BUILD"
    "$PY" -c 'import ondrex, sys; sys.exit(0 if "/build/asan/" in ondrex.__file__ else
        "the instrumented module is not the one imported: " + ondrex.__file__)'
}
