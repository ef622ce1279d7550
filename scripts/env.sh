# Sourced by every script in scripts/ (and by bench/run.sh): stops at the first failing command,
# sets ROOT (the source tree), selects the Python interpreter, and provides the helpers:
#   find_python312         prints a Python 3.12 interpreter: PATH, then pyenv's versions (the root
#                          from `pyenv root`, else $PYENV_ROOT, else ~/.pyenv), then /usr/local/bin
#                          and /usr/bin
#   apt_packages PKG...    installs the missing system packages (with sudo unless root)
#   ensure_venv            selects the interpreter: OND_PYTHON if set (a worktree without a venv
#                          of its own points it at one), else $ROOT/.venv, created with
#                          find_python312 when missing; installs scripts/requirements-dev.txt if
#                          a requirement is missing. Sets PY (the interpreter) and BIN (its bin
#                          directory, which holds cmake, ctest and ninja).
#   configure_build DIR [cmake arguments]
#                          configures the Ninja build directory DIR: Release unless the arguments
#                          say otherwise, warnings as errors, and the selected interpreter and its
#                          pybind11 unless the arguments contain -DOND_BUILD_MODULE=OFF
#   build DIR [ninja arguments]
#                          builds DIR configured by configure_build
#   install_module         builds the module in build/py and installs it into PY's environment,
#                          warnings as errors
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VENV="$ROOT/.venv"

is_python312() {
    "$1" -c 'import sys; assert sys.version_info[:2] == (3, 12)' >/dev/null 2>&1
}

find_python312() {
    local pyenv_root c
    if command -v pyenv >/dev/null 2>&1; then
        pyenv_root="$(pyenv root)"
    else
        pyenv_root="${PYENV_ROOT:-$HOME/.pyenv}"
    fi
    # Among pyenv's 3.12 releases the newest comes first.
    for c in "$(command -v python3.12 || true)" \
        $(ls -d "$pyenv_root"/versions/3.12*/bin/python3.12 2>/dev/null | sort -V | tac) \
        /usr/local/bin/python3.12 /usr/bin/python3.12; do
        if [ -n "$c" ] && [ -x "$c" ] && is_python312 "$c"; then
            echo "$c"
            return 0
        fi
    done
    return 1
}

apt_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "installing system packages: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

ensure_venv() {
    if [ -n "${OND_PYTHON:-}" ]; then
        PY="$OND_PYTHON"
    else
        PY="$VENV/bin/python"
        if [ ! -x "$PY" ]; then
            local py
            py=$(find_python312) || { echo "Python 3.12 not found" >&2; exit 1; }
            "$py" -m venv "$VENV"
        fi
    fi
    is_python312 "$PY" || { echo "$PY is not Python 3.12" >&2; exit 1; }
    BIN="$(dirname "$PY")"
    local need='import pybind11, scikit_build_core, pytest, hypothesis, distributed, mypy'
    if ! "$PY" -c "$need, pybind11_stubgen" >/dev/null 2>&1 || [ ! -x "$BIN/cmake" ] ||
        [ ! -x "$BIN/ninja" ]; then
        "$PY" -m pip install -q --upgrade pip
        "$PY" -m pip install -q -r "$ROOT/scripts/requirements-dev.txt"
    fi
}

configure_build() {
    local dir="$1" a
    shift
    local python_args=(-DPython_EXECUTABLE="$PY" -Dpybind11_DIR="$("$PY" -m pybind11 --cmakedir)")
    for a in "$@"; do
        [ "$a" != -DOND_BUILD_MODULE=OFF ] || python_args=()
    done
    "$BIN/cmake" -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_MAKE_PROGRAM="$BIN/ninja" \
        -DCMAKE_BUILD_TYPE=Release -DOND_WERROR=ON "${python_args[@]}" "$@" >/dev/null
}

build() {
    "$BIN/cmake" --build "$1" -- "${@:2}"
}

install_module() {
    "$PY" -m pip install -q --no-build-isolation --no-deps -Cbuild-dir="$ROOT/build/py" \
        -Ccmake.define.OND_WERROR=ON "$ROOT"
}
