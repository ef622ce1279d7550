"""How each public operation family scales: the time at N and 2N for several N, and the doubling
ratio t(2N) / t(N). An operation meant to be linear or N log N is flagged when its ratio exceeds
2.3; the others (matrix work, the copying `e = e + t`) are flagged above their own power of two,
with 15 % of slack.

Build the module, then from the repository root:
    PYTHONPATH=build/bench python bench/bench_scaling.py            # about 3 minutes
    PYTHONPATH=build/bench python bench/bench_scaling.py --large    # N up to 10^6, much longer
A case stops growing once one size takes longer than --cap seconds; --only NAME,... picks cases.
"""

import argparse
import math
import random
import time

import ondrex
from ondrex import ExprType, ExprWithArgs, Matrix, Vector, imm, simplify, simplify_inplace, symbol
from workloads import matrix_entry, random_invertible, random_monomials

VS = [symbol("z%d" % i) for i in range(64)]
_ANFS = {}


def term(m):
    return VS[m[0]] if len(m) == 1 else ExprWithArgs(ExprType.mul, [VS[i] for i in m])


def anf(n, which=0):
    """A random ANF of n monomials of degree 1..5 over 64 symbols, in normal form (cached)."""
    key = (n, which)
    if key not in _ANFS:
        rng = random.Random(1000 * n + which)
        _ANFS[key] = simplify_inplace(ExprWithArgs(ExprType.add, [
            term(m) for m in random_monomials(rng, n)]))
    return _ANFS[key]


def terms_of(n, which=0):
    return [a.copy() for a in anf(n, which).args()]


def timeit(run, prepare, repeat, budget, spend=0.3):
    """Best of at least `repeat` calls, repeated until `spend` seconds are spent, so that short
    cases get enough calls for the minimum to mean something; a single call once one alone takes
    `budget` seconds."""
    best, spent, k = float("inf"), 0.0, 0
    while k < repeat or spent < spend:
        arg = prepare() if prepare else None
        t0 = time.perf_counter()
        run(arg) if prepare else run()
        t = time.perf_counter() - t0
        best, spent, k = min(best, t), spent + t, k + 1
        if best > budget:
            break
    return best


# Each case: (name, expected power of N, default sizes, maker). maker(N) returns
# (run, prepare, actual size); `prepare`, when not None, builds a fresh input outside the timing.

SUMS = [5000, 10000, 20000, 40000, 80000, 160000]


def op_binary(sym):
    def make(n):
        p, q = anf(n, 0), anf(n, 1)
        fn = {"+": lambda: p + q, "*": lambda: p * q, "|": lambda: p | q}[sym]
        return fn, None, n
    return make


def copy_both(n):
    """The floor of every binary operator that returns a new sum: reading both operands once."""
    p, q = anf(n, 0), anf(n, 1)
    return (lambda: (p.copy(), q.copy())), None, n


def op_inplace(sym):
    def make(n):
        p, q = anf(n, 0), anf(n, 1)

        def run(x):
            if sym == "+":
                x += q
            elif sym == "*":
                x *= q
            else:
                x |= q
        return run, p.copy, n
    return make


def single_terms(order, copying=False):
    def make(n):
        ts = terms_of(n)
        if order == "random":
            random.Random(n).shuffle(ts)

        def run():
            e = imm(0)
            if copying:
                for t in ts:
                    e = e + t
            else:
                for t in ts:
                    e += t
        return run, None, n
    return make


def simplify_sum(n):
    rng = random.Random(n)
    ts = terms_of(n) + terms_of(n // 4, 1)  # duplicates cancel
    rng.shuffle(ts)
    e = ExprWithArgs(ExprType.add, ts)
    return (lambda: simplify(e)), None, len(ts)


def simplify_product(n):
    p = anf(50, 2)
    q = anf(max(1, n // 50), 3)
    e = ExprWithArgs(ExprType.mul, [p, q])
    return (lambda: simplify(e)), None, n_terms(simplify(e))


def subs(n):
    p = anf(n)
    keys, values = VS[:8], [VS[8 + i] for i in range(8)]
    return (lambda: ondrex.subs_exprs(p, keys, values)), None, n


def evaluate(n):
    p = anf(n)
    rng = random.Random(n)
    m = {x: imm(rng.randint(0, 1)) for x in VS}
    return (lambda: p.eval(m)), None, n


def expand_esf(n):
    k = 3
    while math.comb(k + 1, 3) <= n:
        k += 1
    xs = [symbol("ze%d" % i) for i in range(k)]
    e = ondrex.esf(3, xs)
    return (lambda: ondrex.expand_esf(e)), None, math.comb(k, 3)


_OR_GROUPS = []


def identify_ors(n):
    """A sum of n / 15 disjoint Or of 4 symbols in ESF form (15 terms each), all to find."""
    groups = max(1, n // 15)
    while len(_OR_GROUPS) < groups:
        g = len(_OR_GROUPS)
        xs = [symbol("zo%d_%d" % (g, i)) for i in range(4)]
        _OR_GROUPS.append(list(simplify(ondrex.or_to_esf(
            ExprWithArgs(ExprType.or_, xs))).args()))
    e = simplify_inplace(ExprWithArgs(ExprType.add, [
        t.copy() for grp in _OR_GROUPS[:groups] for t in grp]))

    def run(x):
        assert ondrex.identify_ors_inplace(x)
    return run, e.copy, len(e.args())


def vectorial(n):
    bits = 64
    per = max(1, n // bits)
    rng = random.Random(n)
    inputs, outputs = Vector(bits), Vector(bits)
    for i in range(bits):
        inputs[i] = VS[i]
    total = 0
    for i in range(bits):
        ts = [term(m) for m in random_monomials(rng, per, 3)] + [imm(rng.randrange(2))]
        outputs[i] = simplify_inplace(ExprWithArgs(ExprType.add, ts))
        total += n_terms(outputs[i])
    return (lambda: ondrex.analyses.vectorial_decomp(inputs, outputs)), None, total


def inverse(n):
    rows = random_invertible(n, random.Random(n))
    one, zero = imm(1), imm(0)
    m = Matrix(n, n, lambda i, j: one if rows[i] >> j & 1 else zero)
    return m.inverse, None, n


def symbolic_matrix(n, seed):
    return Matrix(n, n, matrix_entry(random.Random(seed), VS[:32]))


def matmul(n):
    a, b = symbolic_matrix(n, 1), symbolic_matrix(n, 2)
    return (lambda: a * b), None, n


def matvec(n):
    a = symbolic_matrix(n, 3)
    v = Vector(n)
    for i in range(n):
        v[i] = VS[i % 64] + VS[(i * 7 + 1) % 64]
    return (lambda: a * v), None, n


def matadd(n):
    a, b = symbolic_matrix(n, 4), symbolic_matrix(n, 5)
    return (lambda: a + b), None, n


def n_terms(e):
    return len(e.args()) if e.is_add() else 1


CASES = [
    ("P.copy(), Q.copy() (the floor)", 1, SUMS, copy_both),
    ("P + Q", 1, SUMS, op_binary("+")),
    ("P += Q", 1, SUMS, op_inplace("+")),
    ("P * Q (one Mul node)", 1, SUMS, op_binary("*")),
    ("P *= Q", 1, SUMS, op_inplace("*")),
    ("P | Q", 1, SUMS, op_binary("|")),
    ("P |= Q", 1, SUMS, op_inplace("|")),
    ("e += t, N terms, ascending", 1, SUMS, single_terms("ascending")),
    ("e += t, N terms, random order", 1, SUMS, single_terms("random")),
    ("e = e + t, N terms (copies e)", 2, [1000, 2000, 4000, 8000], single_terms("random", True)),
    ("simplify, sum of N terms", 1, [20000, 40000, 80000, 160000, 320000], simplify_sum),
    ("simplify, product of sums (N out)", 1, [25000, 50000, 100000, 200000, 400000], simplify_product),
    ("subs_exprs, 8 symbols, ANF of N", 1, SUMS, subs),
    ("Expr.eval, all constant, ANF of N", 1, SUMS, evaluate),
    ("expand_esf, degree 3, N out", 1, [20000, 40000, 80000, 160000, 320000], expand_esf),
    ("identify_ors_inplace, N/15 Or of 4", 1, [750, 1500, 3000, 6000], identify_ors),
    ("vectorial_decomp, 64 x 64, N terms", 1, [16000, 32000, 64000, 128000, 256000], vectorial),
    ("Matrix.inverse, n x n constants", 3, [256, 512, 1024, 2048], inverse),
    ("Matrix * Matrix, n x n symbolic", 3, [16, 32, 64, 128], matmul),
    ("Matrix * Vector, n x n symbolic", 2, [64, 128, 256, 512], matvec),
    ("Matrix + Matrix, n x n symbolic", 2, [64, 128, 256, 512], matadd),
]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--large", action="store_true",
                    help="sizes x 8 for the linear cases (sums up to 1.28 million monomials)")
    ap.add_argument("--repeat", type=int, default=3)
    ap.add_argument("--cap", type=float, default=2.0,
                    help="stop a case once one size takes longer, seconds (default 2; --large 30)")
    ap.add_argument("--only", default="", help="comma-separated name prefixes")
    args = ap.parse_args()
    cap = args.cap if not args.large or args.cap != 2.0 else 30.0
    wanted = [w.strip() for w in args.only.split(",") if w.strip()]
    print("doubling ratio = (t(N) / t(N')) ^ (ln 2 / ln(N / N')) for consecutive sizes N' < N;"
          " best of %d" % args.repeat)
    print("%-38s %6s %9s %11s %11s %8s  %s" % ("operation", "power", "N", "seconds",
                                             "ns / N", "ratio", "flag"))
    flagged = []
    t_start = time.perf_counter()
    for name, power, sizes, make in CASES:
        if wanted and not any(name.startswith(w) for w in wanted):
            continue
        if args.large and power == 1:
            sizes = [s * 8 for s in sizes]
        prev = None
        for n in sizes:
            run, prepare, size = make(n)
            t = timeit(run, prepare, args.repeat, cap)
            r, flag = "", ""
            if prev is not None:
                rr = (t / prev[1]) ** (math.log(2) / math.log(size / prev[0]))
                limit = 2.3 if power == 1 else 2 ** power * 1.15
                r = "%.2f" % rr
                if rr > limit:
                    flag = "OVER %.2f" % limit
                    flagged.append((name, size, rr))
            print("%-38s %6s %9d %11.5f %11.1f %8s  %s" % (
                name, {1: "N", 2: "N^2", 3: "N^3"}[power], size, t, t / size * 1e9, r, flag),
                flush=True)
            prev = (size, t)
            if t > cap:
                print("%-38s (larger sizes skipped: above the cap of %.0f s)" % ("", cap))
                break
    print("\n%d flagged; total %.0f s" % (len(flagged), time.perf_counter() - t_start))
    for name, size, rr in flagged:
        print("  %s at N = %d: ratio %.2f" % (name, size, rr))


if __name__ == "__main__":
    main()
