"""Side-by-side timings of ondrex, BRiAl (bench/brial_driver.cpp) and SymPy on the same work.

Run through bench/run.sh, which builds the module and the driver first."""

import argparse
import itertools
import os
import random
import subprocess
import sys
import tempfile
import time

import importlib.util

import ondrex
from ondrex import ExprType, ExprWithArgs, Vector, imm, simplify_inplace
from workloads import anf_of, random_monomials

SYMPY_CAP = float(os.environ.get("SYMPY_CAP", "60"))  # seconds per SymPy case
HAVE_SYMPY = importlib.util.find_spec("sympy") is not None


BUDGET = float(os.environ.get("OND_BUDGET", "0.5"))  # seconds of repetitions per ondrex case


def best_of(fn, runs):
    """Best time that fn reports, over at least `runs` calls and until BUDGET seconds are spent,
    so that sub-millisecond cases are repeated enough for the minimum to be meaningful."""
    best, spent, done = None, 0.0, 0
    while done < runs or spent < BUDGET:
        t = fn()
        best = t if best is None else min(best, t)
        spent += t
        done += 1
    return best, done


def timed(fn):
    t0 = time.perf_counter()
    fn()
    return time.perf_counter() - t0


def brial(driver, *args):
    out = subprocess.run([driver, *map(str, args)], check=True, capture_output=True, text=True)
    return {k: float(v) for k, v in (line.split() for line in out.stdout.splitlines())}


def sympy_case(code):
    """Runs a SymPy snippet that prints its own time, in a subprocess capped at SYMPY_CAP.
    Without SymPy installed, the column reads "n/a"."""
    if not HAVE_SYMPY:
        return "n/a"
    try:
        out = subprocess.run(
            [sys.executable, "-c", code], capture_output=True, text=True, timeout=SYMPY_CAP
        )
    except subprocess.TimeoutExpired:
        return None
    if out.returncode != 0:
        raise RuntimeError(out.stderr)
    return float(out.stdout.split()[-1])


# Adder -----------------------------------------------------------------------------------------


def ondrex_adder(n):
    a = Vector(n)
    b = Vector(n)
    for i in range(n):
        a[i] = ondrex.symbol("a%d" % i)
        b[i] = ondrex.symbol("b%d" % i)
    t0 = time.perf_counter()
    g = a * b
    p = a + b
    s = Vector(n)
    c = imm(0)
    for i in range(n):
        s[i] = p[i] + c
        c = g[i] + c * p[i]
    simplify_inplace(s)
    t = time.perf_counter() - t0
    terms = sum(len(e.args()) if e.is_add() else 1 for e in s)
    return t, terms


SYMPY_ADDER = """
import time
from sympy import symbols, false
from sympy.logic.boolalg import Xor, And, to_anf
n = {n}
a = symbols('a0:%d' % n); b = symbols('b0:%d' % n)
t0 = time.perf_counter()
c = false
out = []
for i in range(n):
    out.append(to_anf(Xor(a[i], b[i], c)))
    c = Xor(And(a[i], b[i]), And(c, Xor(a[i], b[i])))
print(time.perf_counter() - t0)
"""

# Products --------------------------------------------------------------------------------------


def random_poly(rng, m):
    return sorted(random_monomials(rng, m, 4))


ondrex_poly = anf_of


SYMPY_PRODUCT = """
import time
from sympy import symbols
from sympy.logic.boolalg import Xor, And, to_anf
v = symbols('v0:64')
P = {p!r}; Q = {q!r}
def poly(ms): return Xor(*[And(*[v[i] for i in m]) for m in ms])
p, q = poly(P), poly(Q)
t0 = time.perf_counter()
to_anf(And(p, q))
print(time.perf_counter() - t0)
"""

SYMPY_ESF = """
import time, itertools
from sympy import symbols
from sympy.logic.boolalg import Xor, And, to_anf
v = symbols('v0:{n}')
t0 = time.perf_counter()
to_anf(Xor(*[And(*c) for c in itertools.combinations(v, {d})]))
print(time.perf_counter() - t0)
"""


def fmt(t):
    return "capped" if t is None else t if isinstance(t, str) else "%.4f" % t


def ratio(other, mine):
    if isinstance(other, str):
        return other
    if other is None:
        return "> %.0f" % (SYMPY_CAP / mine)
    return "%.1f" % (other / mine)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--driver", required=True)
    ap.add_argument("--runs", type=int, default=3)
    args = ap.parse_args()
    rows = []
    vs = [ondrex.symbol("v%d" % i) for i in range(64)]

    sympy_dead = False
    for n in (8, 12, 16):
        found = {}

        def run():
            t, found["terms"] = ondrex_adder(n)
            return t

        t, reps = best_of(run, args.runs)
        terms = found["terms"]
        br = brial(args.driver, "adder", n)
        assert int(br["adder_terms"]) == terms, (br, terms)
        sp = None if sympy_dead else sympy_case(SYMPY_ADDER.format(n=n))
        sympy_dead = sp is None
        bw = br["adder_compute"] + br["adder_walk"]
        rows.append(("adder n=%d (%d terms)" % (n, terms), t, reps, sp, br["adder_compute"], bw))

    rng = random.Random(20261210)
    sympy_dead = False
    for m in (200, 1000, 2000):
        pm, qm = random_poly(rng, m), random_poly(rng, m)
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            for poly in (pm, qm):
                f.write(";".join(",".join(map(str, mono)) for mono in poly) + "\n")
            path = f.name
        p, q = ondrex_poly(pm, vs), ondrex_poly(qm, vs)
        result = {}

        def run():
            e = ExprWithArgs(ExprType.mul, [p, q])
            t = timed(lambda: simplify_inplace(e))
            result["terms"] = len(e.args())
            return t

        t, reps = best_of(run, args.runs)
        br = brial(args.driver, "product", path)
        os.unlink(path)
        assert int(br["product_terms"]) == result["terms"], (br, result)
        sp = None if sympy_dead else sympy_case(SYMPY_PRODUCT.format(p=pm, q=qm))
        sympy_dead = sp is None
        rows.append(("product %dx%d (%d terms)" % (m, m, result["terms"]), t, reps, sp,
                     br["product"], None))

    e3 = ondrex.esf(3, vs)
    kept = []

    def run_esf():
        # The previous result is released outside the timed call (as for the other libraries).
        kept.clear()
        return timed(lambda: kept.append(ondrex.expand_esf(e3)))

    t, reps = best_of(run_esf, args.runs)
    n_terms = len(kept[0].args())
    del kept
    br = brial(args.driver, "esf", 64, 3)
    assert int(br["esf_terms"]) == n_terms
    sp = sympy_case(SYMPY_ESF.format(n=64, d=3))
    rows.append(("ESF_3 over 64 (%d terms)" % n_terms, t, reps, sp, br["esf"], None))

    print("SymPy capped at %.0f s per case; times in seconds; ondrex: best of the runs shown"
          " (at least %d, repeated for %.1f s)" % (SYMPY_CAP, args.runs, BUDGET))
    head = ("case", "ondrex", "runs", "SymPy", "SymPy/ondrex", "BRiAl", "BRiAl/ondrex", "BRiAl+walk",
            "(+walk)/ondrex")
    print("%-34s %9s %6s %9s %13s %9s %13s %11s %15s" % head)
    for name, t, reps, sp, br, bw in rows:
        print("%-34s %9.6f %6d %9s %13s %9.4f %13.2f %11s %15s" % (
            name, t, reps, fmt(sp), ratio(sp, t), br, br / t,
            "-" if bw is None else "%.4f" % bw, "-" if bw is None else "%.2f" % (bw / t)))


if __name__ == "__main__":
    main()
