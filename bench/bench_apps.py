"""Speed of the k-subset enumeration and of the vectorial decomposition.

Run from the worktree root against a built module, for example:
    PYTHONPATH=build/dev python bench/bench_apps.py
"""

import argparse
import itertools
import random

import ondrex
from timing import best_of


def bench_draws(k, n, repeat):
    count = 0

    def f(view):
        nonlocal count
        count += 1
        return True

    def ours():
        ondrex.algos.draw_without_replacement(k, n, f)

    def reference():
        for c in itertools.combinations(range(n), k):
            if not f(c):
                break

    t_ours = best_of(ours, repeat)
    t_ref = best_of(reference, repeat)
    draws = count // (2 * repeat)
    print(f"draw_without_replacement k={k} n={n}: {draws} draws")
    print(f"  ondrex.algos          {t_ours:8.3f} s  {draws / t_ours / 1e6:6.2f} M draws/s")
    print(f"  itertools.combinations {t_ref:7.3f} s  {draws / t_ref / 1e6:6.2f} M draws/s")


def random_function(bits, monomials, seed):
    rng = random.Random(seed)
    xs = [ondrex.symbol(f"x{i}") for i in range(bits)]
    inputs = ondrex.Vector(bits)
    for i, x in enumerate(xs):
        inputs[i] = x
    outputs = ondrex.Vector(bits)
    total = 0
    for i in range(bits):
        e = ondrex.imm(rng.randrange(2))
        for x in rng.sample(xs, bits // 2):
            e = e + x
        for _ in range(monomials):
            t = xs[rng.randrange(bits)]
            for j in rng.sample(range(bits), rng.randint(1, 3)):
                t = t * xs[j]
            e = e + t
        outputs[i] = e
        total += e.args().size()
    return inputs, outputs, total


def bench_decomp(bits, monomials, repeat):
    inputs, outputs, terms = random_function(bits, monomials, seed=1)
    t = best_of(lambda: ondrex.analyses.vectorial_decomp(inputs, outputs), repeat)
    print(f"vectorial_decomp {bits} inputs x {bits} outputs, {terms} top-level terms in all:")
    print(f"  {t * 1e3:8.1f} ms  {terms / t / 1e6:6.2f} M terms/s")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--repeat", type=int, default=3)
    p.add_argument("--monomials", type=int, default=1000, help="products drawn per output")
    a = p.parse_args()
    bench_draws(3, 200, a.repeat)
    bench_decomp(64, a.monomials, a.repeat)


if __name__ == "__main__":
    main()
