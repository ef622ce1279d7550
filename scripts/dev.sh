#!/usr/bin/env bash
# Developer loop: one incremental Release build of the module and the C++ tests in build/dev
# (warnings as errors), then ctest and pytest against that build. The interpreter is OND_PYTHON,
# else .venv (see ensure_venv in env.sh). Extra arguments go to pytest.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_venv
BUILD="$ROOT/build/dev"
configure_build "$BUILD" -DOND_BUILD_TESTS=ON
build "$BUILD"
(cd "$BUILD" && "$BIN/ctest" --output-on-failure)
cd "$ROOT"
PYTHONPATH="$BUILD" "$PY" -m pytest tests "$@"
