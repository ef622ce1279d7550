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


def best_wall_and_cpu(run, repeat):
    """Smallest wall time and smallest CPU time (user and system, time.process_time) of
    `repeat` calls of `run`, in seconds. On a machine shared with other work the CPU time is
    the steadier figure: it leaves out the time the process waits for a core."""
    wall = cpu = float("inf")
    for _ in range(repeat):
        w0, c0 = time.perf_counter(), time.process_time()
        run()
        c1, w1 = time.process_time(), time.perf_counter()
        wall, cpu = min(wall, w1 - w0), min(cpu, c1 - c0)
    return wall, cpu
