#!/usr/bin/env bash
# Keeps the typing stub exact: stubtest compares it with the installed module (every class,
# function and signature), then mypy --strict checks a user's script against it. The module is
# built and installed first (install_module in env.sh, into OND_PYTHON's environment, else .venv's).
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_venv
install_module
cd "$ROOT"
"$PY" -m mypy.stubtest --allowlist "$ROOT/stubs/stubtest_allowlist.txt" ondrex
"$PY" -m mypy --strict --cache-dir=/dev/null tests/typing/user_script.py
# The stub has teeth: a call with wrong argument types is refused, list elements and callbacks
# included.
BAD="$(mktemp --suffix=.py)"
trap 'rm -f "$BAD"' EXIT
for call in 'ondrex.analyses.vectorial_decomp(ondrex.Vector(1), 2)' \
    'ondrex.esf(2, [ondrex.symbol("x0"), "oops"])' \
    'ondrex.algos.draw_without_replacement(2, 4, 5)' \
    'ondrex.Matrix(2, 2, lambda i: ondrex.imm(i))'; do
    printf 'import ondrex\n%s\n' "$call" > "$BAD"
    if "$PY" -m mypy --strict --cache-dir=/dev/null "$BAD" >/dev/null; then
        echo "mypy accepted a wrong call against the stub: $call" >&2
        exit 1
    fi
done
echo "stub: stubtest clean, user script clean, wrong call refused"
