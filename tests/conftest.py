import os

import pytest
from hypothesis import HealthCheck, settings

import ondrex

# Hypothesis profiles. "dev" (the default) draws fresh examples each run; "ci" (chosen when CI is
# set) draws the same ones every time; "long" multiplies every property's examples by 50 for a
# search run: HYPOTHESIS_PROFILE=long pytest tests/test_differential.py tests/test_anf_property.py
settings.register_profile("dev", max_examples=100, deadline=None)
settings.register_profile("ci", settings.get_profile("dev"), derandomize=True, database=None)
settings.register_profile("long", settings.get_profile("dev"), max_examples=5000,
                          suppress_health_check=[HealthCheck.too_slow])
settings.load_profile(
    os.environ.get("HYPOTHESIS_PROFILE") or ("ci" if os.environ.get("CI") else "dev"))


@pytest.fixture(scope="session")
def syms():
    """Named symbols shared by the tests: a..h, x, y, z, w (created once per process)."""
    names = ["a", "b", "c", "d", "e", "f", "g", "h", "x", "y", "z", "w"]
    return {n: ondrex.symbol(n) for n in names}
