#!/usr/bin/env bash
# Sets everything up on a fresh machine, then runs the tour and the main example: the algebraic
# normal form of an 8-bit adder, checked and split into affine and non-linear parts.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
apt_packages build-essential
ensure_venv
install_module
"$VENV/bin/python" "$ROOT/examples/quickstart.py"
echo
"$VENV/bin/python" "$ROOT/examples/adder_anf.py"
