# Sourced by the other scripts: finds Python 3.12, makes the virtual environment and installs
# the system and Python packages the build and the tests need.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VENV="$ROOT/.venv"

find_python312() {
    local c
    for c in python3.12 /root/.pyenv/versions/3.12*/bin/python3.12 /usr/local/bin/python3.12 \
        /usr/bin/python3.12; do
        if command -v "$c" >/dev/null 2>&1 && "$c" -c 'import sys; assert sys.version_info[:2] == (3, 12)' \
            >/dev/null 2>&1; then
            command -v "$c"
            return 0
        fi
    done
    if command -v pyenv >/dev/null 2>&1; then
        local v
        v=$(pyenv versions --bare 2>/dev/null | grep -E '^3\.12' | tail -n 1 || true)
        if [ -n "$v" ]; then
            echo "$(pyenv root)/versions/$v/bin/python3.12"
            return 0
        fi
    fi
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
    if [ ! -x "$VENV/bin/python" ]; then
        local py
        py=$(find_python312) || { echo "Python 3.12 not found" >&2; exit 1; }
        "$py" -m venv "$VENV"
    fi
    if ! "$VENV/bin/python" -c 'import pybind11, scikit_build_core, pytest, hypothesis, distributed' >/dev/null 2>&1; then
        "$VENV/bin/python" -m pip install -q --upgrade pip
        "$VENV/bin/python" -m pip install -q -r "$ROOT/scripts/requirements-dev.txt"
    fi
}

# Builds and installs the module into the virtual environment (incremental build directory).
install_module() {
    "$VENV/bin/python" -m pip install -q --no-build-isolation --no-deps \
        -Cbuild-dir="$ROOT/build/py" "$ROOT"
}
