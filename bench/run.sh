#!/usr/bin/env bash
# Benchmarks, side by side with SymPy and BRiAl:   bash bench/run.sh [--quick]
# Builds the module in build/bench and the BRiAl driver, then runs, against that build:
#   bench_simplify.py (batch kernels against SymPy and BRiAl), bench_building.py (building step by
#   step against BRiAl at its best), bench_scaling.py (doubling ratios of every operation family).
# OND_PYTHON picks the interpreter (default .venv/bin/python); SYMPY_CAP caps each SymPy case;
# OND_BENCH_BUILD=PATH runs against a module already built there instead of building one;
# --quick skips bench_simplify.py's SymPy cases and builds only 4 of the SPN's 16 output bits.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PY="${OND_PYTHON:-$ROOT/.venv/bin/python}"
BUILD="$ROOT/build/bench"
QUICK=0
[[ "${1:-}" == "--quick" ]] && QUICK=1 && shift
mkdir -p "$BUILD"
if [[ -z "${OND_BENCH_BUILD:-}" ]]; then
    source "$ROOT/scripts/env.sh" && ensure_venv && configure_build "$BUILD"
    "$PY" -m ninja -C "$BUILD" -j2 >/dev/null
    MODULE="$BUILD"
else
    MODULE="$OND_BENCH_BUILD"
fi
g++ -std=c++17 -O2 "$ROOT/bench/brial_driver.cpp" -o "$BUILD/brial_driver" -lbrial
export PYTHONPATH="$MODULE:$ROOT/bench"
echo "== module: $MODULE; $(nproc) cores, load: $(cut -d' ' -f1-3 /proc/loadavg)"
if [[ $QUICK == 0 ]]; then
    echo "== bench_simplify.py"
    "$PY" "$ROOT/bench/bench_simplify.py" --driver "$BUILD/brial_driver" "$@"
    SPN_BITS=16
else
    SPN_BITS=4
fi
echo "== bench_building.py"
"$PY" "$ROOT/bench/bench_building.py" --driver "$BUILD/brial_driver" --spn-bits "$SPN_BITS"
echo "== bench_scaling.py"
"$PY" "$ROOT/bench/bench_scaling.py"
