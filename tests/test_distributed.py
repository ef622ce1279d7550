"""Results computed in other processes come back equal to the serial ones: through a process pool
and through a Dask LocalCluster of two worker processes, which then stops in bounded time."""

import concurrent.futures
import multiprocessing
import subprocess
import sys
import textwrap
import time

import pytest

from distributed_work import NAMES, anf_of_output, serial

N = 12


def test_process_pool_results_equal_the_serial_loop():
    import ondrex

    for n in NAMES:  # this process's order, the reverse of the workers'
        ondrex.symbol(n)
    ctx = multiprocessing.get_context("spawn")  # fresh processes with their own symbol tables
    with concurrent.futures.ProcessPoolExecutor(2, mp_context=ctx) as pool:
        results = list(pool.map(anf_of_output, range(N)))
    assert results == serial(N)
    assert all(ondrex.simplify(e) == e for e in results)


DASK = textwrap.dedent("""
    import sys, time
    sys.path.insert(0, {tests!r})
    from dask.distributed import Client, LocalCluster
    import ondrex
    from distributed_work import NAMES, anf_of_output, serial
    for n in NAMES:
        ondrex.symbol(n)
    if __name__ == "__main__":
        cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
        results = client.gather(client.map(anf_of_output, range({n})))
        workers = len(client.scheduler_info()["workers"])
        t0 = time.perf_counter()
        client.close()
        cluster.close(timeout=30)
        print(workers, results == serial({n}), round(time.perf_counter() - t0, 1))
""")


def test_dask_local_cluster_results_equal_the_serial_loop_and_it_stops():
    pytest.importorskip("distributed")
    import pathlib

    script = DASK.format(tests=str(pathlib.Path(__file__).parent), n=N)
    t0 = time.perf_counter()
    out = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                         timeout=180)
    assert out.returncode == 0, out.stderr[-3000:]
    workers, equal, stop_seconds = out.stdout.split()
    assert (workers, equal) == ("2", "True")
    assert float(stop_seconds) < 30 and time.perf_counter() - t0 < 180
