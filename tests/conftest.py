import pytest

import ondrex


@pytest.fixture(scope="session")
def syms():
    """Named symbols shared by the tests: a..h, x, y, z, w (created once per process)."""
    names = ["a", "b", "c", "d", "e", "f", "g", "h", "x", "y", "z", "w"]
    return {n: ondrex.symbol(n) for n in names}
