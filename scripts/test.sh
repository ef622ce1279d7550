#!/usr/bin/env bash
# Runs every test, as CI does (.ci/run), warnings as errors in every build:
#   1. installs the missing system packages and selects the interpreter (OND_PYTHON, else .venv,
#      created and filled from requirements-dev.txt when missing: ensure_venv in env.sh);
#   2. builds the module in build/py and installs it into that interpreter's environment;
#   3. the C++ GoogleTest suite (the fuzz corpus replay included) through ctest, built without
#      the module in build/cpp;
#   4. the Python suite against the installed module (extra arguments go to pytest);
#   5. check_stub.sh: the typing stub against the module, and mypy on a user's script;
#   6. check_wheel.sh: the wheel in a fresh virtual environment outside the tree;
#   7. check_sanitizers.sh: ASan + UBSan (build/asan) and valgrind (build/valgrind) runs of the
#      C++ and Python suites;
#   8. check_fuzz.sh: a short libFuzzer run of the core and the readers (build/fuzz, clang).
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
apt_packages build-essential libgtest-dev
ensure_venv
install_module

CPP_BUILD="$ROOT/build/cpp"
configure_build "$CPP_BUILD" -DOND_BUILD_MODULE=OFF -DOND_BUILD_TESTS=ON
build "$CPP_BUILD"
(cd "$CPP_BUILD" && "$BIN/ctest" --output-on-failure)

cd "$ROOT"
"$PY" -m pytest tests "$@"
bash "$ROOT/scripts/check_stub.sh"
bash "$ROOT/scripts/check_wheel.sh"
bash "$ROOT/scripts/check_sanitizers.sh"
bash "$ROOT/scripts/check_fuzz.sh"
