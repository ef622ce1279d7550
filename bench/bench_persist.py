"""Results that leave the process: pickling the 3.3M-monomial product ANF against e.copy() (in
this process and in fresh ones), its pickled size against its repr, parse against SymPy's
sympify on the same text, and the Dask example's speed-up with its per-task transfer cost.

    PYTHONPATH=build/dev python bench/bench_persist.py [--runs 3] [--sympy-terms 20000]
"""

import argparse
import os
import pathlib
import pickle
import random
import subprocess
import sys
import tempfile
import textwrap
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "bench"))
sys.path.insert(0, str(ROOT / "examples"))

import ondrex  # noqa: E402
from bench_simplify import ondrex_poly, random_poly  # noqa: E402
from ondrex import ExprType, ExprWithArgs, simplify_inplace  # noqa: E402
from timing import best_of  # noqa: E402

SYMPY_CAP = float(os.environ.get("SYMPY_CAP", "60"))


def product_anf():
    """The product of two random 2000-monomial ANFs over 64 symbols, as bench_simplify.py
    builds it (same seed, same draws)."""
    vs = [ondrex.symbol("v%d" % i) for i in range(64)]
    rng = random.Random(20261210)
    for m in (200, 1000, 2000):
        pm, qm = random_poly(rng, m), random_poly(rng, m)
    e = ExprWithArgs(ExprType.mul, [ondrex_poly(pm, vs), ondrex_poly(qm, vs)])
    return simplify_inplace(e)


FRESH = textwrap.dedent("""
    import pickle, sys, time
    sys.path.insert(0, {bench!r})
    import ondrex
    from timing import best_of
    if {reverse}:  # this process knows the symbols already, in the reverse order
        for i in reversed(range(64)):
            ondrex.symbol("v%d" % i)
    data = open({path!r}, "rb").read()
    t0 = time.perf_counter()
    e = pickle.loads(data)
    first = time.perf_counter() - t0
    loads = min(first, best_of(lambda: pickle.loads(data), {runs}))
    copy = best_of(e.copy, {runs})
    print(first, loads, copy, ondrex.simplify(e) == e)
""")

SYMPY_PARSE = """
import sys, time
from sympy import sympify
text = open(sys.argv[1]).read()
t0 = time.perf_counter()
sympify(text, convert_xor=False)
print(time.perf_counter() - t0)
"""


def sympy_text(e):
    """The same ANF in SymPy's syntax, as its users write a long sum: Xor(And(a, b), c, ...) (a
    chain a & b ^ c ^ ... of thousands of terms exceeds Python's recursion limit when SymPy
    compiles it)."""
    def term(m):
        return "And(%s)" % ", ".join(map(repr, m.args())) if m.is_mul() else repr(m)
    return "Xor(%s)" % ", ".join(term(m) for m in e.args())


def sympy_time(text):
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write(text)
    try:
        out = subprocess.run([sys.executable, "-c", SYMPY_PARSE, f.name], capture_output=True,
                             text=True, timeout=SYMPY_CAP)
    except subprocess.TimeoutExpired:
        return None
    finally:
        os.unlink(f.name)
    if out.returncode != 0:
        raise RuntimeError(out.stderr[-2000:])
    return float(out.stdout.split()[-1])


def bench_pickle(e, runs):
    n = len(e.args())
    print(f"product ANF: {n} monomials")
    t_copy = best_of(e.copy, runs)
    data = pickle.dumps(e, pickle.HIGHEST_PROTOCOL)
    t_dumps = best_of(lambda: pickle.dumps(e, pickle.HIGHEST_PROTOCOL), runs)
    t_loads = best_of(lambda: pickle.loads(data), runs)
    assert pickle.loads(data) == e
    print(f"e.copy()             {t_copy:8.3f} s")
    print(f"pickle.dumps         {t_dumps:8.3f} s   {t_dumps / t_copy:5.2f} x copy")
    print(f"pickle.loads         {t_loads:8.3f} s   {t_loads / t_copy:5.2f} x copy (same process)")
    with tempfile.NamedTemporaryFile("wb", suffix=".pickle", delete=False) as f:
        f.write(data)
    try:
        for reverse, what in ((False, "fresh process"), (True, "fresh process, symbols known "
                                                              "in the reverse order")):
            script = FRESH.format(bench=str(ROOT / "bench"), reverse=reverse, path=f.name,
                                  runs=runs)
            out = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                                 check=True)
            first, loads, copy, canonical = out.stdout.split()
            first, loads, copy = float(first), float(loads), float(copy)
            print(f"pickle.loads         {loads:8.3f} s   {loads / copy:5.2f} x copy there "
                  f"({what}; first load {first:.3f} s; canonical after loading: {canonical})")
    finally:
        os.unlink(f.name)
    text = repr(e).encode()
    print(f"pickled size         {len(data):9d} bytes; repr {len(text)} bytes "
          f"(1 / {len(text) / len(data):.2f}); {len(data) / n:.2f} bytes per monomial")
    return text.decode()


def bench_parse(e, text, runs, sympy_terms):
    t_parse = best_of(lambda: ondrex.parse(text), runs)
    assert ondrex.parse(text) == e
    n = len(e.args())
    print(f"parse(repr(e))       {t_parse:8.3f} s   {t_parse / n * 1e9:6.0f} ns per monomial")
    # SymPy on a prefix of the monomials, both readers on the same text.
    part = ExprWithArgs(ExprType.add, list(e.args())[:sympy_terms])
    part_text = repr(part)
    t_part = best_of(lambda: ondrex.parse(part_text), runs)
    assert ondrex.parse(part_text) == part
    sp = sympy_time(sympy_text(part))
    sp_text = "capped at %.0f s" % SYMPY_CAP if sp is None else "%.3f s" % sp
    ratio = "> %.0f" % (SYMPY_CAP / t_part) if sp is None else "%.0f" % (sp / t_part)
    print(f"first {sympy_terms} monomials: parse {t_part:.4f} s, SymPy sympify {sp_text} "
          f"(SymPy / parse: {ratio})")


def bench_dask(runs):
    import distributed_anf as ex
    from dask.distributed import Client, LocalCluster

    t_serial = best_of(ex.run_serial, runs)
    serial = ex.run_serial()
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        client.run(lambda: __import__("ondrex"))
        ex.run_distributed(client)  # warm-up: the task's code reaches the workers
        t_dask = best_of(lambda: ex.run_distributed(client), runs)
        results = ex.run_distributed(client)
    assert results == serial
    sizes = [len(pickle.dumps(r)) for r in results]
    t_transfer = best_of(lambda: [pickle.loads(pickle.dumps(r)) for r in results], runs)
    print(f"Dask example: serial {t_serial:.3f} s, 2 workers {t_dask:.3f} s "
          f"(speed-up {t_serial / t_dask:.2f}x); per task {sum(sizes) / len(sizes):.0f} bytes "
          f"on average, {t_transfer / len(results) * 1e3:.2f} ms to pickle and load")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--sympy-terms", type=int, default=20000)
    args = ap.parse_args()
    e = product_anf()
    text = bench_pickle(e, args.runs)
    bench_parse(e, text, args.runs, args.sympy_terms)
    bench_dask(args.runs)


if __name__ == "__main__":
    main()
