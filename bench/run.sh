#!/usr/bin/env bash
# Benchmarks, side by side with SymPy and BRiAl:   bash bench/run.sh
# (OND_PYTHON picks the interpreter, default .venv/bin/python; SYMPY_CAP caps each SymPy case.)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PY="${OND_PYTHON:-$ROOT/.venv/bin/python}"
BUILD="$ROOT/build/bench"
source "$ROOT/scripts/env.sh" && ensure_venv && configure_build "$BUILD"
"$PY" -m ninja -C "$BUILD" -j2 >/dev/null
g++ -std=c++17 -O2 "$ROOT/bench/brial_driver.cpp" -o "$BUILD/brial_driver" -lbrial
PYTHONPATH="$BUILD" "$PY" "$ROOT/bench/bench_simplify.py" --driver "$BUILD/brial_driver" "$@"
