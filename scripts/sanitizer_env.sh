# Sourced by the sanitizer scripts (check_sanitizers.sh, stress_stale.sh): the build of the module
# and the GoogleTest binary with AddressSanitizer and UndefinedBehaviorSanitizer in build/asan, and
# the environment under which the uninstrumented interpreter loads that module. The interpreter
# is OND_PYTHON, else .venv (ensure_venv in env.sh); warnings are errors in every build.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_venv
ASAN_BUILD="$ROOT/build/asan"

# Configures and builds DIR with the module and the C++ tests, with debug information and the
# internal invariants checked (OND_ASSERTS); extra arguments go to cmake.
build_checked() {
    configure_build "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOND_BUILD_TESTS=ON -DOND_ASSERTS=ON \
        "${@:2}"
    build "$1" -j2
}

build_asan() {
    build_checked "$ASAN_BUILD" -DOND_SANITIZE=ON
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
