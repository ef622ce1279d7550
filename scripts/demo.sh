#!/usr/bin/env bash
# Sets everything up on a fresh machine, then runs the tour and the main example: the algebraic
# normal form of an 8-bit adder, checked and split into affine and non-linear parts. The
# interpreter is OND_PYTHON, else .venv (ensure_venv in env.sh).
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
apt_packages build-essential
ensure_venv
install_module
"$PY" "$ROOT/examples/quickstart.py"
echo
"$PY" "$ROOT/examples/adder_anf.py"
