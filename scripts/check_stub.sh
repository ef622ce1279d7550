#!/usr/bin/env bash
# Keeps the typing stub exact: stubtest compares it with the installed module (every class,
# function and signature), then mypy --strict checks a user's script against it.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_venv
"$VENV/bin/python" -c 'import mypy' 2>/dev/null ||
    "$VENV/bin/python" -m pip install -q -r "$ROOT/scripts/requirements-dev.txt"
install_module
cd "$ROOT"
"$VENV/bin/python" -m mypy.stubtest --allowlist "$ROOT/stubs/stubtest_allowlist.txt" ondrex
"$VENV/bin/python" -m mypy --strict --cache-dir=/dev/null tests/typing/user_script.py
# The stub has teeth: a call with wrong argument types is refused.
BAD="$(mktemp --suffix=.py)"
trap 'rm -f "$BAD"' EXIT
printf 'import ondrex\nondrex.analyses.vectorial_decomp(ondrex.Vector(1), 2)\n' > "$BAD"
if "$VENV/bin/python" -m mypy --cache-dir=/dev/null "$BAD" >/dev/null; then
    echo "mypy accepted a wrong call against the stub" >&2
    exit 1
fi
echo "stub: stubtest clean, user script clean, wrong call refused"
