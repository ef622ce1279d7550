#!/usr/bin/env bash
# Long run of the stale-use programs (tests/stale_use.py) against the instrumented module of
# build/asan, niced, one process per seed so that a crash names its seed, JOBS processes at a
# time. The log of every failing seed stays in build/stress/; the last line sums up.
#
#     bash scripts/stress_stale.sh [FIRST-LAST] [CALLS per seed] [JOBS]
#
# Replay a finding: PYTHONPATH=build/asan LD_PRELOAD=... python tests/stale_use.py --seeds N
# --calls CALLS (the environment as use_asan_module in scripts/sanitizer_env.sh sets it).
source "$(dirname "${BASH_SOURCE[0]}")/sanitizer_env.sh"
SEEDS="${1:-0-99}" CALLS="${2:-100000}" JOBS="${3:-1}"
build_asan >/dev/null
use_asan_module
OUT="$ROOT/build/stress"
mkdir -p "$OUT"
rm -f "$OUT"/seed-*.log "$OUT/calls"

run_seed() {
    local log="$OUT/seed-$1.log"
    if nice -n 10 "$PY" "$ROOT/tests/stale_use.py" --seeds "$1" --calls "$CALLS" >"$log" 2>&1 &&
        ! grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log"; then
        # "stale use: 1 programs, N calls, T s"
        awk '/^stale use:/ {print $5}' "$log" >>"$OUT/calls"
        rm -f "$log"
    else
        echo "seed $1: finding, see $log"
    fi
}
export -f run_seed
export ROOT OUT CALLS PY

start=$(date +%s)
first="${SEEDS%-*}" last="${SEEDS#*-}"
seq "$first" "$last" | xargs -P "$JOBS" -I{} bash -c 'run_seed {}'
findings=$(find "$OUT" -name 'seed-*.log' | wc -l)
seeds=$((last - first + 1))
calls=$(awk '{n += $1} END {print n + 0}' "$OUT/calls" 2>/dev/null || echo 0)
echo "stale-use stress: $seeds seeds, $calls calls in the seeds that ended," \
    "$(($(date +%s) - start)) s, $findings findings"
[ "$findings" -eq 0 ]
