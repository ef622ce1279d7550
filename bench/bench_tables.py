"""Truth tables and normal forms from tables, against the plain-Python Moebius transform a user
would otherwise write, SymPy's ANFform and Expr.eval row by row.

Run from the worktree root against a built module, for example:
    PYTHONPATH=build/dev python bench/bench_tables.py
Goals: the AES S-box (8 outputs) from its table in at most 1 ms; a 20-input table to its normal
form in at most 50 ms; the table of the top sum bit of the 12-bit adder (24 inputs, 4097
monomials) in at most 0.5 s and at least 1000 times faster than Expr.eval per row. (Without a
carry in, the top sum bit of the 12-bit adder over its 24 inputs has 2049 monomials; with one,
over 25 inputs, 4097: both are measured.)
"""

import argparse
import os
import random
import subprocess
import sys
import time

import ondrex
from ondrex import Vector, imm, simplify, symbol
from timing import best_of, best_wall_and_cpu

SYMPY_CAP = float(os.environ.get("SYMPY_CAP", "20"))  # seconds per SymPy case

def aes_sbox():
    """The AES S-box from its definition: the inverse in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1
    (0 going to 0), then the affine map b + rotl(b, 1) + ... + rotl(b, 4) + 0x63."""

    def mul(a, b):
        r = 0
        for _ in range(8):
            r ^= a if b & 1 else 0
            a, b = (a << 1) ^ (0x11B if a & 0x80 else 0), b >> 1
        return r

    inv = [0] + [next(b for b in range(1, 256) if mul(a, b) == 1) for a in range(1, 256)]

    def rotl(v, k):
        return ((v << k) | (v >> (8 - k))) & 0xFF

    return [v ^ rotl(v, 1) ^ rotl(v, 2) ^ rotl(v, 3) ^ rotl(v, 4) ^ 0x63 for v in inv]


def moebius(values):
    """The plain-Python transform: coefficients from values (lists of 0/1, length 2**n)."""
    f = list(values)
    n = len(f).bit_length() - 1
    for j in range(n):
        step = 1 << j
        for m in range(len(f)):
            if m & step:
                f[m] ^= f[m ^ step]
    return f


def python_anfs_of_sbox(sbox, nbits):
    return [moebius([(v >> i) & 1 for v in sbox]) for i in range(nbits)]


SYMPY_SBOX = """
import time
from sympy import symbols
from sympy.logic.boolalg import ANFform
sbox = {sbox!r}
xs = symbols("x0:{n}")
# ANFform reads the table with the first variable as the most significant bit of the row.
rows = [sum(((r >> j) & 1) << ({n} - 1 - j) for j in range({n})) for r in range(1 << {n})]
tables = []
for i in range({nbits}):
    t = [0] * (1 << {n})
    for r, v in enumerate(sbox):
        t[rows[r]] = (v >> i) & 1
    tables.append(t)
best = None
for _ in range({repeat}):
    t0 = time.perf_counter()
    for t in tables:
        ANFform(xs, t)
    t1 = time.perf_counter() - t0
    best = t1 if best is None else min(best, t1)
print(best)
"""


def sympy_time(code):
    try:
        out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                             timeout=SYMPY_CAP)
    except subprocess.TimeoutExpired:
        return None
    if out.returncode != 0:
        return float("nan") if "No module named 'sympy'" in out.stderr else None
    return float(out.stdout.split()[-1])


def fmt(t):
    return "   n/a" if t is None or t != t else f"{t * 1e3:10.3f} ms"


def fmt2(wall_cpu):
    wall, cpu = wall_cpu
    return f"{fmt(wall)} wall {fmt(cpu)} CPU"


def bench_sbox(repeat):
    inputs = Vector([symbol(f"x{j}") for j in range(8)])
    sbox = aes_sbox()
    assert sbox[:4] == [0x63, 0x7C, 0x77, 0x7B] and sbox[0xFF] == 0x16
    anfs = ondrex.anf_from_lookup_table(sbox, inputs, 8)
    ours = best_wall_and_cpu(lambda: ondrex.anf_from_lookup_table(sbox, inputs, 8), repeat * 20)
    t_ours = ours[0]
    t_py = best_of(lambda: python_anfs_of_sbox(sbox, 8), repeat)
    t_sympy = sympy_time(SYMPY_SBOX.format(sbox=sbox, n=8, nbits=8, repeat=repeat))
    print("AES S-box, 8 output bits from the 256-entry table (goal <= 1 ms):")
    print(f"  degrees {[e.degree() for e in anfs]}, monomials {[e.monomial_count() for e in anfs]}")
    print(f"  ondrex anf_from_lookup_table {fmt2(ours)}")
    print(f"  plain-Python Moebius (coefficients only) {fmt(t_py)}  x{t_py / t_ours:,.0f}")
    if t_sympy is None:
        print(f"  SymPy ANFform                > {SYMPY_CAP:.0f} s")
    elif t_sympy == t_sympy:
        print(f"  SymPy ANFform                {fmt(t_sympy)}  x{t_sympy / t_ours:,.0f}")


def bench_table_to_anf(n, repeat):
    rng = random.Random(n)
    inputs = Vector([symbol(f"x{j}") for j in range(n)])
    xs = list(inputs)
    # A dense table (a random one: about half of the 2**n monomials) and a sparse one (the
    # table of a random function of degree at most 3).
    sparse = imm(0)
    for _ in range(2000):
        m = imm(1)
        for j in rng.sample(range(n), rng.randint(1, 3)):
            m = m * xs[j]
        sparse = sparse + m
    tables = [("random", rng.getrandbits(1 << n)),
              ("degree <= 3", ondrex.truth_table(sparse, inputs))]
    print(f"{n}-input truth tables to their normal forms (goal <= 50 ms):")
    for name, table in tables:
        held = [None]

        def run():
            # The previous result is freed before the call and the new one kept, so that
            # freeing is not part of the call's time.
            held[0] = None
            held[0] = ondrex.anf_from_truth_table(table, inputs)

        ours = best_wall_and_cpu(run, repeat)
        t_ours = ours[0]
        count, degree = held[0].monomial_count(), held[0].degree()
        t0 = time.perf_counter()
        held[0] = None
        t_free = time.perf_counter() - t0
        bits = [(table >> r) & 1 for r in range(1 << n)]
        t_py = best_of(lambda: moebius(bits), 1)
        print(f"  {name}: {count} monomials, degree {degree}")
        print(f"    ondrex anf_from_truth_table  {fmt2(ours)}  (freeing the result "
              f"{fmt(t_free)})")
        print(f"    plain-Python Moebius (coefficients only) {fmt(t_py)}  x{t_py / t_ours:,.0f}")


def adder_top_bit(n, carry_in):
    x = [symbol(f"a{i}") for i in range(n)]
    y = [symbol(f"b{i}") for i in range(n)]
    s, carry = [], symbol("c_in") if carry_in else imm(0)
    for i in range(n):
        s.append(x[i] + y[i] + carry)
        carry = x[i] * y[i] + carry * (x[i] + y[i])
    return Vector(x + y + ([symbol("c_in")] if carry_in else [])), s[n - 1]


def bench_adder(n, carry_in, repeat, sample):
    inputs, circuit = adder_top_bit(n, carry_in)
    top = simplify(circuit)
    rows = 1 << len(inputs)
    ours = best_wall_and_cpu(lambda: ondrex.truth_table(top, inputs), repeat)
    t_ours = ours[0]
    circ = best_wall_and_cpu(lambda: ondrex.truth_table(circuit, inputs), repeat)
    rng = random.Random(1)
    points = [rng.getrandbits(len(inputs)) for _ in range(sample)]
    maps = [{inputs[j]: imm((r >> j) & 1) for j in range(len(inputs))} for r in points]
    t0 = time.perf_counter()
    for m in maps:
        top.eval(m)
    per_row = (time.perf_counter() - t0) / sample
    table = ondrex.truth_table(top, inputs)
    assert all(top.eval(m).imm_value() == bool((table >> r) & 1) for r, m in zip(points, maps))
    what = " with a carry in" if carry_in else ""
    print(f"truth table of the top sum bit of the {n}-bit adder{what} ({len(inputs)} inputs, "
          f"{rows} rows, {top.monomial_count()} monomials; goal <= 0.5 s, >= 1000x Expr.eval):")
    print(f"  ondrex truth_table (normal form)     {fmt2(ours)}")
    print(f"  ondrex truth_table (the circuit)     {fmt2(circ)}")
    print(f"  Expr.eval per row, {sample} rows sampled: {per_row * 1e6:.1f} us a row, "
          f"{per_row * rows:,.0f} s for all rows  x{per_row * rows / t_ours:,.0f}")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--repeat", type=int, default=5)
    p.add_argument("--sample", type=int, default=200, help="rows evaluated with Expr.eval")
    a = p.parse_args()
    bench_sbox(a.repeat)
    bench_table_to_anf(20, a.repeat)
    bench_adder(12, False, a.repeat, a.sample)
    bench_adder(12, True, a.repeat, a.sample)


if __name__ == "__main__":
    main()
