"""Random programs that keep using iterators, references and views across the changes that
invalidate them (tests/stale_use.py), each in a process of its own: a crash, a sanitizer report
(scripts/check_sanitizers.sh runs this against the instrumented module) or an inconsistent value
fails it. Short here; longer on demand:

    OND_STALE_SEEDS=0-199 OND_STALE_CALLS=100000 python -m pytest tests/test_stale_use.py

and for hours across processes under the sanitizers: bash scripts/stress_stale.sh."""

import os
import subprocess
import sys

import pytest

import ondrex
from stale_use import seed_range

SCRIPT = os.path.join(os.path.dirname(__file__), "stale_use.py")
SEEDS = seed_range(os.environ.get("OND_STALE_SEEDS", "0-3"))
CALLS = int(os.environ.get("OND_STALE_CALLS", "4000"))
REPORTS = ("ERROR: AddressSanitizer", "runtime error:", "ERROR: LeakSanitizer")


@pytest.mark.parametrize("seed", SEEDS)
def test_stale_use_program(seed):
    # The same module as this process, whichever build that is.
    path = os.pathsep.join(filter(None, [os.path.dirname(ondrex.__file__),
                                         os.environ.get("PYTHONPATH")]))
    command = [sys.executable, SCRIPT, "--seeds", str(seed), "--calls", str(CALLS)]
    r = subprocess.run(command, env=dict(os.environ, PYTHONPATH=path), capture_output=True,
                       text=True, timeout=600)
    found = [report for report in REPORTS if report in r.stderr]
    assert r.returncode == 0 and not found, (
        f"{' '.join(command)} ended with {r.returncode} {found}:\n{r.stderr[-6000:]}")
    assert "stale use: 1 programs" in r.stdout
