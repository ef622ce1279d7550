"""Timings of Matrix.inverse on random invertible matrices of immediates, beside a plain copy of
the same Matrix and the M4RI inversion of the same bits, and of a symbolic matrix product.

Build the module (scripts/dev.sh), then from the repository root:

    g++ -O3 -std=c++20 -Icore bench/m4ri_inverse.cpp core/expr/*.cpp core/linalg/*.cpp \
        $(pkg-config --cflags --libs m4ri) -o build/m4ri_inverse
    PYTHONPATH=build/dev python bench/bench_inverse.py

The script runs the g++ line itself when build/m4ri_inverse is missing.
"""

import os
import random
import subprocess
import sys

import ondrex
from timing import best_of
from workloads import matrix_entry, random_invertible
from ondrex import Matrix, imm

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DRIVER = os.path.join(ROOT, "build", "m4ri_inverse")
SIZES = [128, 256, 512, 1024, 2048]
REPS = 7


def build_driver():
    if os.path.exists(DRIVER):
        return
    cflags = subprocess.check_output(["pkg-config", "--cflags", "--libs", "m4ri"], text=True)
    srcs = [os.path.join(ROOT, "bench", "m4ri_inverse.cpp")]
    for sub in ("expr", "linalg"):
        d = os.path.join(ROOT, "core", sub)
        srcs += [os.path.join(d, f) for f in sorted(os.listdir(d)) if f.endswith(".cpp")]
    cmd = ["g++", "-O3", "-std=c++20", "-I" + os.path.join(ROOT, "core"), *srcs,
           *cflags.split(), "-o", DRIVER]
    subprocess.check_call(cmd)


def bench_inverse():
    build_driver()
    rng = random.Random(1)
    one, zero = imm(1), imm(0)
    print("inverse of random invertible n x n matrices of immediates (best of %d, seconds)" % REPS)
    print("inverse: Matrix.inverse from Python; C++ columns: one native process, same bits")
    print("%6s %10s %10s %10s %10s %11s %11s %11s %6s" % (
        "n", "inverse", "C++ inv", "C++ copy", "M4RI", "inv / copy", "C++ i / c", "C++ i / M4RI",
        "agree"))
    for n in SIZES:
        rows = random_invertible(n, rng)
        text = [format(r, "0%db" % n)[::-1] for r in rows]  # character j is column j
        m = Matrix(n, n, lambda i, j: one if text[i][j] == "1" else zero)
        inverse_s = best_of(m.inverse, REPS)
        assert m.inverse().nlines() == n
        out = subprocess.run([DRIVER, str(REPS)], input="%d\n%s\n" % (n, "\n".join(text)),
                             capture_output=True, text=True, check=True).stdout.split()
        copy_s, cxx_inverse_s, m4ri_s = map(float, out[:3])
        print("%6d %10.4f %10.4f %10.4f %10.4f %11.2f %11.2f %11.1f %6s" % (
            n, inverse_s, cxx_inverse_s, copy_s, m4ri_s, inverse_s / copy_s,
            cxx_inverse_s / copy_s, cxx_inverse_s / m4ri_s, "yes" if out[3] == "1" else "NO"))
        sys.stdout.flush()


def bench_symbolic_product():
    rng = random.Random(2)
    syms = [ondrex.symbol("s%d" % k) for k in range(32)]
    print("\nsymbolic product of n x n matrices, entries symbols, products and immediates")
    print("%6s %10s %16s" % ("n", "seconds", "ns per argument"))
    for n in (64, 128, 256):
        entry = matrix_entry(rng, syms)
        a, b = Matrix(n, n, entry), Matrix(n, n, entry)
        t = best_of(lambda: a * b, 1 if n == 256 else 2)
        print("%6d %10.3f %16.1f" % (n, t, t / n**3 * 1e9))


if __name__ == "__main__":
    bench_inverse()
    bench_symbolic_product()
