#!/usr/bin/env bash
# Sets everything up on a fresh machine and runs the main example.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
apt_packages build-essential
ensure_venv
install_module
"$VENV/bin/python" "$ROOT/examples/quickstart.py"
