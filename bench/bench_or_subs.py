"""Timings of identify_ors_inplace on sums of 8..20 symbols and of Expr.eval on large ANFs.

Run from the repository root against a built module, for example:
    PYTHONPATH=build/dev python bench/bench_or_subs.py
"""

import random

import ondrex
from timing import best_of
from ondrex import ExprType, ExprWithArgs, esf, imm


def add(terms):
    return ExprWithArgs(ExprType.add, list(terms))


def mul(terms):
    return ExprWithArgs(ExprType.mul, list(terms))


def or_sums(n, xs):
    """The simplified ESF form of xs[0] | ... | xs[n-1]: folds back into one Or."""
    base = ondrex.simplify(ondrex.or_to_esf(ExprWithArgs(ExprType.or_, xs[:n])))
    return lambda: base.copy()


def pair_sums(n, xs):
    """n symbols and the products of consecutive pairs: n / 2 folds of two symbols each."""
    terms = list(xs[:n]) + [mul([xs[i], xs[i + 1]]) for i in range(0, n - 1, 2)]
    base = add(terms)
    return lambda: base.copy()


def near_miss_sums(n, xs):
    """ESF terms present (so sizes 3.. n are searched) but no candidate of 3+ symbols matches:
    an ESF_2 over the first three symbols without their product, and pair products that only
    the last subsets of the enumeration reach. The plain enumeration tests ~2^n subsets."""
    terms = list(xs[:n]) + [esf(2, xs[:3])]
    terms += [mul([xs[n - 2], xs[n - 1]]), mul([xs[0], xs[n - 1]])]
    base = add(terms)
    return lambda: base.copy()


def random_anf(rng, nsyms, nmono, maxdeg, xs):
    monos = []
    for _ in range(nmono):
        d = rng.randint(1, maxdeg)
        picked = rng.sample(xs[:nsyms], d)
        monos.append(picked[0] if d == 1 else mul(picked))
    monos.append(imm(1))
    return ondrex.simplify(add(monos))


def main():
    xs = [ondrex.symbol(f"s{i}") for i in range(64)]
    print("identify_ors_inplace (best of 5, milliseconds)")
    print(f"{'n':>3} {'or_esf_form':>12} {'pairs':>10} {'near_miss':>10}")
    for n in range(8, 21):
        row = []
        for maker, expect in ((or_sums, True), (pair_sums, True), (near_miss_sums, True)):
            make = maker(n, xs)

            def run(e, expect=expect):
                assert ondrex.identify_ors_inplace(e) is expect

            row.append(best_of(run, 5, make) * 1e3)
        print(f"{n:>3} {row[0]:>12.3f} {row[1]:>10.3f} {row[2]:>10.3f}")

    print()
    print("Expr.eval on random ANFs over 48 symbols, degree <= 4 (best of 5, milliseconds)")
    print("(terms after cancellation; the last column is the substitution alone, without simplify)")
    print(f"{'terms':>10} {'all constant':>13} {'half constant':>14} {'to symbols':>11}"
          f" {'subs only':>10}")
    rng = random.Random(2026)
    for nmono in (1_000, 10_000, 100_000):
        e = random_anf(rng, 48, nmono, 4, xs)
        full = {x: imm(rng.randint(0, 1)) for x in xs[:48]}
        half = {x: imm(rng.randint(0, 1)) for x in xs[:24]}
        # Renaming onto other symbols: nothing folds to a constant, simplify re-merges.
        rename = {x: xs[48 + (i % 16)] for i, x in enumerate(xs[:48])}
        row = []
        for m in (full, half, rename):
            row.append(best_of(lambda m=m: e.eval(m), 5) * 1e3)
        keys, values = list(full), list(full.values())
        row.append(best_of(lambda: ondrex.subs_exprs(e, keys, values), 5) * 1e3)
        terms = len(e.args())
        print(f"{terms:>10} {row[0]:>13.2f} {row[1]:>14.2f} {row[2]:>11.2f} {row[3]:>10.2f}")


if __name__ == "__main__":
    main()
