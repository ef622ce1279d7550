"""Wall-clock timing shared by the benchmark scripts."""

import time


def best_of(run, repeat, prepare=None):
    """Smallest wall time of `repeat` calls of `run`, in seconds.

    With `prepare`, each call first builds a fresh input outside the timed region and `run`
    receives it as its argument.
    """
    best = float("inf")
    for _ in range(repeat):
        args = (prepare(),) if prepare is not None else ()
        t0 = time.perf_counter()
        run(*args)
        best = min(best, time.perf_counter() - t0)
    return best
