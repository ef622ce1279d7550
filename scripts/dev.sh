#!/usr/bin/env bash
# Developer loop: one incremental build of the module and the C++ tests in build/dev, then ctest
# and pytest against that build. Extra arguments go to pytest.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
# Worktrees without a venv of their own point OND_PYTHON at one.
PY="${OND_PYTHON:-$VENV/bin/python}"
BUILD="$ROOT/build/dev"
"$PY" -m cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPython_EXECUTABLE="$PY" -Dpybind11_DIR="$("$PY" -m pybind11 --cmakedir)" \
    -DOND_BUILD_TESTS=ON >/dev/null
"$PY" -m ninja -C "$BUILD"
(cd "$BUILD" && "$(dirname "$PY")/ctest" --output-on-failure)
cd "$ROOT"
PYTHONPATH="$BUILD" "$PY" -m pytest tests "$@"
