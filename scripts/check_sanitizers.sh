#!/usr/bin/env bash
# Sanitizer suite. build/asan holds the module and the GoogleTest binary built with
# AddressSanitizer and UndefinedBehaviorSanitizer; the C++ tests run there with leak detection,
# then once more under valgrind (an uninstrumented build in build/valgrind, since valgrind cannot
# run ASan code), and the whole Python suite runs against the instrumented module, the stale-use
# programs of tests/test_stale_use.py among them. The iterator tests also run under valgrind
# against the uninstrumented module. Any report fails the script. Extra arguments go to pytest.
# The interpreter is OND_PYTHON, else .venv (ensure_venv in env.sh).
source "$(dirname "${BASH_SOURCE[0]}")/sanitizer_env.sh"
apt_packages build-essential libgtest-dev valgrind

build_asan

echo "== GoogleTest under ASan + UBSan + LeakSanitizer"
ASAN_OPTIONS="$ASAN_COMMON:detect_leaks=1" "$ASAN_BUILD/ond_tests" --gtest_brief=1

echo "== GoogleTest under valgrind"
VALGRIND_BUILD="$ROOT/build/valgrind"
build_checked "$VALGRIND_BUILD"
VALGRIND=(valgrind --quiet --error-exitcode=1)
# The death tests run under ASan above: here each forks a child that aborts on purpose, with
# everything it holds still allocated, which valgrind would report as leaks of the child.
"${VALGRIND[@]}" --leak-check=full --show-leak-kinds=definite,indirect \
    --errors-for-leak-kinds=definite,indirect "$VALGRIND_BUILD/ond_tests" --gtest_brief=1 \
    --gtest_filter='-*DeathTest*'

echo "== iterators changed under them, under valgrind"
# CPython's own allocator hands out blocks that valgrind cannot follow; plain malloc it can.
(cd "$ROOT" && PYTHONMALLOC=malloc PYTHONPATH="$VALGRIND_BUILD" "${VALGRIND[@]}" "$PY" \
    tests/test_iterators.py)

echo "== pytest against the instrumented module"
cd "$ROOT"
use_asan_module
# Sanitizer reports are written to file descriptor 2, which pytest must not capture: the
# process ends right after the report.
"$PY" -m pytest tests -p no:cacheprovider --capture=sys "$@"
