#!/usr/bin/env bash
# Runs every test: the C++ GoogleTest suite through ctest, then the Python suite.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
apt_packages build-essential libgtest-dev
ensure_venv
install_module

CPP_BUILD="$ROOT/build/cpp"
"$VENV/bin/cmake" -S "$ROOT" -B "$CPP_BUILD" -G Ninja -DCMAKE_MAKE_PROGRAM="$VENV/bin/ninja" \
    -DCMAKE_BUILD_TYPE=Release -DOND_BUILD_MODULE=OFF -DOND_BUILD_TESTS=ON >/dev/null
"$VENV/bin/cmake" --build "$CPP_BUILD"
(cd "$CPP_BUILD" && "$VENV/bin/ctest" --output-on-failure)

cd "$ROOT"
"$VENV/bin/python" -m pytest tests "$@"
bash "$ROOT/scripts/check_stub.sh"
bash "$ROOT/scripts/check_wheel.sh"
bash "$ROOT/scripts/check_sanitizers.sh"
bash "$ROOT/scripts/check_fuzz.sh"
