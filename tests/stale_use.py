"""Stale use of what the module hands out: helpers for the tests that keep objects obtained before
a change (iterators, element and argument references, views) and use them after it."""

import gc

import ondrex


def churn():
    """Reuses freed memory, so that a dangling reference or iterator would read other data."""
    junk = [ondrex.symbol("junk") + ondrex.symbol(f"j{i}") for i in range(2000)]
    del junk
    gc.collect()
