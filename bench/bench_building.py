"""Building expressions step by step, as users write it, beside BRiAl doing the same work at its
best (bench/brial_driver.cpp: interleaved variable order, terms walked with the exponent iterator).

Workloads: the n-bit adder simplified after every step and built unsimplified with one simplify
per sum bit; ESF_3 over 64 symbols accumulated term by term (in-place and by copy, ascending and in
one shared random order) and by the batch routes; two rounds of a 16-bit SPN; P + Q of random
ANFs; memory per monomial.

Run through bench/run.sh, or from the repository root against a built module:
    PYTHONPATH=build/bench python bench/bench_building.py --driver build/bench/brial_driver
"""

import argparse
import gc
import itertools
import math
import os
import random
import subprocess
import sys
import tempfile
import time

import ondrex
from ondrex import ExprType, ExprWithArgs, imm, simplify, simplify_inplace, symbol
from timing import best_of
from workloads import anf_of, random_monomials

HERE = os.path.dirname(os.path.abspath(__file__))

# The S-box of examples/cipher_round.py; bit i of the word moves to PERM[i] (the transposition of
# the 4 x 4 bit matrix, so each S-box feeds all four S-boxes of the next round).
SBOX = [0x7, 0xE, 0x2, 0x9, 0xC, 0x4, 0xB, 0x1, 0x0, 0xD, 0x6, 0xA, 0x3, 0xF, 0x8, 0x5]
PERM = [(4 * i) % 15 if i < 15 else 15 for i in range(16)]
ROUNDS = 2


def brial(driver, runs, *args):
    """Runs the driver `runs` times; the smallest value of every key (times are the only keys
    that vary)."""
    best = {}
    for _ in range(runs):
        out = subprocess.run([driver, *map(str, args)], check=True, capture_output=True,
                             text=True).stdout
        for line in out.splitlines():
            k, v = line.split()
            best[k] = min(best.get(k, float("inf")), float(v))
    return best


def n_terms(e):
    return len(e.args()) if e.is_add() else (0 if e.is_imm() and e.imm_value() == 0 else 1)


class Table:
    def __init__(self):
        self.rows = []

    def add(self, name, ours, peer=None, note=""):
        self.rows.append((name, ours, peer, note))
        print("  %-58s %10s %10s %8s  %s" % (name, ms(ours), ms(peer), ratio(ours, peer), note),
              flush=True)

    def header(self):
        print("  %-58s %10s %10s %8s  %s" % ("workload", "ondrex ms", "BRiAl ms", "ratio", ""))


def ms(t):
    return "-" if t is None else "%.3f" % (t * 1e3)


def ratio(ours, peer):
    """ondrex / BRiAl: above 1 means ondrex is slower."""
    return "-" if peer is None or ours is None else "%.2fx" % (ours / peer)


# Adder ------------------------------------------------------------------------------------------


def adder_symbols(n, tag):
    a, b = [], []
    for i in range(n):  # interleaved, as on the BRiAl side: a_i before b_i before a_(i+1)
        a.append(symbol("%sa%d" % (tag, i)))
        b.append(symbol("%sb%d" % (tag, i)))
    return a, b


def adder_stepwise(a, b):
    out, c = [], imm(0)
    for ai, bi in zip(a, b):
        x = ai + bi
        out.append(simplify(x + c))
        c = simplify(ai * bi + c * x)
    return out


def adder_unsimplified(a, b):
    out, c = [], imm(0)
    for ai, bi in zip(a, b):
        x = ai + bi
        out.append(simplify(x + c))
        c = ai * bi + c * x
    return out


def adder_inplace(a, b):
    """The same adder with the in-place forms: no copy of the carry but the one in x + c."""
    out, c = [], imm(0)
    for ai, bi in zip(a, b):
        x = ai + bi
        s = x + c
        simplify_inplace(s)
        out.append(s)
        c *= x
        c += ai * bi
        simplify_inplace(c)
    return out


def bench_adder(t, driver, runs, sizes):
    per_mono = []
    for n in sizes:
        a, b = adder_symbols(n, "ad%d" % n)
        found = {}

        def run():
            found["out"] = adder_stepwise(a, b)

        ours = best_of(run, runs if n < 20 else max(1, runs - 1))
        terms = sum(n_terms(e) for e in found["out"])
        br = brial(driver, runs, "adder", n)
        assert int(br["adder_terms"]) == terms, (n, br, terms)
        peer = br["adder_compute"] + br["adder_walk"]
        t.add("adder n=%d, simplify after every step (%d terms)" % (n, terms), ours, peer,
              "BRiAl compute %.3f ms + walk %.3f ms" % (br["adder_compute"] * 1e3,
                                                        br["adder_walk"] * 1e3))
        per_mono.append((n, terms, ours, peer))
        if n >= 16:
            got = {}

            def run_inplace():
                got["out"] = adder_inplace(a, b)

            ours_i = best_of(run_inplace, runs if n < 20 else max(1, runs - 1))
            assert got["out"] == found["out"], n
            t.add("adder n=%d, the same with c *= x; c += a*b; simplify_inplace" % n, ours_i,
                  peer)
        if n == 16:
            ours_u = best_of(lambda: adder_unsimplified(a, b), runs)
            t.add("adder n=16, unsimplified, one simplify per sum bit", ours_u, peer)
            blocked = brial(driver, runs, "adder", n, "blocked")
            t.add("  (BRiAl with the blocked order a_i = i, b_i = n + i)", None,
                  blocked["adder_compute"] + blocked["adder_walk"])
    return per_mono


# ESF_3 loops ------------------------------------------------------------------------------------


def esf_orders(seed):
    asc = list(itertools.combinations(range(64), 3))
    rnd = asc[:]
    random.Random(seed).shuffle(rnd)
    return asc, rnd


def write_triples(order):
    f = tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False)
    f.write("64\n" + "\n".join("%d %d %d" % tr for tr in order) + "\n")
    f.close()
    return f.name


def loop_inplace(xs, order):
    e = imm(0)
    for i, j, k in order:
        e += xs[i] * xs[j] * xs[k]
    return e


def loop_copy(xs, order):
    e = imm(0)
    for i, j, k in order:
        e = e + xs[i] * xs[j] * xs[k]
    return e


def batch_products(xs, order):
    return simplify_inplace(ExprWithArgs(ExprType.add, [xs[i] * xs[j] * xs[k] for i, j, k in order]))


def bench_esf(t, driver, runs, seed, copy_prefix):
    xs = [symbol("e%d" % i) for i in range(64)]
    asc, rnd = esf_orders(seed)
    reference = ondrex.expand_esf(ondrex.esf(3, xs))
    peers = {}
    for name, order in (("ascending", asc), ("random", rnd)):
        path = write_triples(order)
        br = brial(driver, runs, "esf_loop", path)
        os.unlink(path)
        assert int(br["esf_loop_terms"]) == len(order)
        peers[name] = br["esf_loop"] + br["esf_loop_walk"]
        got = {}

        def run(order=order):
            got["e"] = loop_inplace(xs, order)

        ours = best_of(run, runs)
        assert got["e"] == reference
        t.add("ESF_3/64, e += x_i*x_j*x_k, %s order" % name, ours, peers[name],
              "BRiAl loop %.1f ms + walk %.1f ms" % (br["esf_loop"] * 1e3,
                                                    br["esf_loop_walk"] * 1e3))
    # e = e + t copies e at every step: time growing prefixes, extrapolate with the fitted power.
    pts = []
    for m in copy_prefix:
        order = rnd[:m]
        pts.append((m, best_of(lambda order=order: loop_copy(xs, order), 1)))
    (m1, t1), (m2, t2) = pts[-2], pts[-1]
    power = math.log(t2 / t1) / math.log(m2 / m1)
    full = t2 * (len(rnd) / m2) ** power
    for m, tm in pts:
        t.add("ESF_3/64, e = e + x_i*x_j*x_k, random, first %d products" % m, tm, None)
    t.add("  e = e + t, all %d products (extrapolated, power %.2f)" % (len(rnd), power), full,
          peers["random"])
    for name, order in (("ascending", asc), ("random", rnd)):
        ours = best_of(lambda order=order: batch_products(xs, order), runs)
        t.add("ESF_3/64, ExprWithArgs(add, products) + simplify, %s" % name, ours, peers[name],
              "products built in the timed loop")
    ours = best_of(lambda: ondrex.expand_esf(ondrex.esf(3, xs)), runs)
    br = brial(driver, runs, "esf", 64, 3)
    t.add("ESF_3/64, expand_esf(esf(3, xs))", ours, br["esf"], "BRiAl: e_k += x * e_(k-1)")


# SPN --------------------------------------------------------------------------------------------


def sbox_coefficients():
    """The ANF coefficients of each output bit of the S-box (binary Moebius transform)."""
    coef = []
    for bit in range(4):
        c = [SBOX[v] >> bit & 1 for v in range(16)]
        for i in range(4):
            for v in range(16):
                if v >> i & 1:
                    c[v] ^= c[v ^ (1 << i)]
        coef.append(c)
    return coef


def spn_symbols(tag):
    """Plaintext bit i and whitening key bit i side by side, then the round keys: the order of
    first use decides the symbol order, and the BRiAl side gets the same indices."""
    x, keys = [], [[None] * 16 for _ in range(ROUNDS + 1)]
    for i in range(16):
        x.append(symbol("%sx%d" % (tag, i)))
        keys[0][i] = symbol("%sk0_%d" % (tag, i))
    for r in range(1, ROUNDS + 1):
        for i in range(16):
            keys[r][i] = symbol("%sk%d_%d" % (tag, r, i))
    index = [2 * i for i in range(16)] + [2 * i + 1 for i in range(16)]
    index += list(range(32, 16 * (ROUNDS + 2)))
    return x, keys, index


def spn_layer(state, coef):
    """S-box layer and permutation as the S-box polynomial over the state's expressions: the
    products of every subset of a nibble, each built once, summed per output bit."""
    nxt = [None] * 16
    for j in range(4):
        sub = [imm(1)] + [None] * 15
        for v in range(1, 16):
            low = (v & -v).bit_length() - 1
            sub[v] = sub[v & (v - 1)] * state[4 * j + low] if v & (v - 1) else state[4 * j + low]
        for bit in range(4):
            o = imm(0)
            for v in range(16):
                if coef[bit][v]:
                    o += sub[v]
            nxt[PERM[4 * j + bit]] = o
    return nxt


def spn_stepwise(x, keys, coef, bits=16, times=None):
    """Simplified after every round. Returns the output bits (the first `bits` of the last round)."""
    state = [x[i] + keys[0][i] for i in range(16)]
    t0 = time.perf_counter()
    for r in range(ROUNDS):
        nxt = spn_layer(state, coef)
        last = r == ROUNDS - 1
        state = [simplify(nxt[i] + keys[r + 1][i]) for i in range(bits if last else 16)]
        if times is not None:
            times.append(time.perf_counter() - t0)
    return state


def spn_batch(x, keys, coef, bits=16):
    """The route that the issue found fast: each product simplified on its own, the sum merged
    once through ExprWithArgs(ExprType.add, ...) and simplify."""
    state = [x[i] + keys[0][i] for i in range(16)]
    for r in range(ROUNDS):
        last = r == ROUNDS - 1
        nxt = [None] * 16
        for j in range(4):
            sub = [imm(1)] + [None] * 15
            for v in range(1, 16):
                low = (v & -v).bit_length() - 1
                sub[v] = (simplify(sub[v & (v - 1)] * state[4 * j + low]) if v & (v - 1)
                          else state[4 * j + low])
            for bit in range(4):
                target = PERM[4 * j + bit]
                if last and target >= bits:
                    continue
                terms = [sub[v] for v in range(16) if coef[bit][v]] + [keys[r + 1][target]]
                nxt[target] = simplify_inplace(ExprWithArgs(ExprType.add, terms))
        state = nxt if not last else nxt[:bits]
    return state


def bench_spn(t, driver, runs, bits):
    coef = sbox_coefficients()
    x, keys, index = spn_symbols("spn")
    f = tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False)
    f.write(" ".join(map(str, SBOX)) + "\n" + " ".join(map(str, PERM)) + "\n%d\n" % ROUNDS)
    f.write(" ".join(map(str, index)) + "\n")
    f.close()
    br = brial(driver, runs, "spn", f.name)
    os.unlink(f.name)
    peer = br["spn"] + br["spn_walk"]
    times = []
    gc.collect()
    t0 = time.perf_counter()
    out = spn_stepwise(x, keys, coef, bits, times)
    ours = time.perf_counter() - t0
    terms = sum(n_terms(e) for e in out)
    note = "round 1 %.1f ms; BRiAl compute %.1f + walk %.1f ms" % (
        times[0] * 1e3, br["spn"] * 1e3, br["spn_walk"] * 1e3)
    if bits == 16:
        assert terms == int(br["spn_terms"]), (terms, br)
        t.add("SPN 2 rounds, simplify after every round (%d terms), one run" % terms, ours, peer,
              note)
    else:
        full = times[0] + (ours - times[0]) * 16 / bits
        t.add("SPN 2 rounds, %d of 16 output bits of round 2, one run" % bits, ours, None, note)
        t.add("  SPN 2 rounds, all 16 bits (extrapolated from %d)" % bits, full, peer)
    got = {}

    def run():
        got["out"] = spn_batch(x, keys, coef, bits)

    ours_b = best_of(run, max(1, runs - 1))
    assert all(p == q for p, q in zip(got["out"], out))
    t.add("SPN 2 rounds, products simplified, one ExprWithArgs(add) per bit%s" % (
        "" if bits == 16 else " (%d bits)" % bits), ours_b, peer if bits == 16 else None)


# P + Q ------------------------------------------------------------------------------------------


ondrex_anf = anf_of


def write_polys(polys):
    f = tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False)
    for poly in polys:
        f.write(";".join(",".join(map(str, mono)) for mono in poly) + "\n")
    f.close()
    return f.name


def bench_add(t, driver, runs, sizes, cap):
    vs = [symbol("q%d" % i) for i in range(64)]
    rng = random.Random(20261211)
    prev = None
    for n in sizes:
        pm, qm = random_monomials(rng, n), random_monomials(rng, n)
        p, q = ondrex_anf(pm, vs), ondrex_anf(qm, vs)
        r = runs if n <= 100_000 else 1
        ours = best_of(lambda: p + q, r)
        copy = best_of(lambda: (p.copy(), q.copy()), r)
        path = write_polys([pm, qm])
        br = brial(driver, 1 if n > 100_000 else runs, "add", path)
        os.unlink(path)
        assert int(br["add_terms"]) == n_terms(p + q)
        note = "copy of P and Q %.3f ms (P+Q / copy %.1f)" % (copy * 1e3, ours / copy)
        if prev is not None:
            note += "; doubling ratio %.2f" % ((ours / prev[1]) ** (math.log(2) / math.log(
                n / prev[0])))
        t.add("P + Q, %d + %d monomials over 64 symbols" % (n, n), ours,
              br["add"] + br["add_walk"], note)
        prev = (n, ours)
        if ours > cap:
            print("  (larger sizes skipped: %.1f s above the cap of %.0f s)" % (ours, cap))
            break


# Memory -----------------------------------------------------------------------------------------


def rss():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def chunk(nbytes):
    """Bytes that malloc takes for a request: 8 of header, rounded up to 16, at least 32."""
    return max(32, (nbytes + 8 + 15) // 16 * 16)


def accounted_bytes(e):
    """The Expr records (26 bytes each) and the heap blocks of their argument vectors, taking
    each vector at its size (its capacity can be larger)."""
    total = 26
    stack = [e]
    while stack:
        x = stack.pop()
        if x.has_args():
            args = x.args()
            total += chunk(26 * len(args))
            stack.extend(a for a in args if a.has_args())
    return total


def memory_probe(kind, size, path):
    """Run in a fresh interpreter: RSS growth of building one result, over its monomials."""
    if kind == "adder":
        a, b = adder_symbols(size, "m")
        before = rss()
        out = adder_stepwise(a, b)
        gc.collect()
        grown = rss() - before
        terms = sum(n_terms(e) for e in out)
        acc = sum(accounted_bytes(e) for e in out)
    else:
        vs = [symbol("r%d" % i) for i in range(64)]
        with open(path) as f:
            monos = [tuple(map(int, m.split(","))) for m in f.readline().strip().split(";")]
        before = rss()
        e = ondrex_anf(monos, vs)
        gc.collect()
        grown = rss() - before
        terms = n_terms(e)
        acc = accounted_bytes(e)
    print(terms, grown, acc)


def bench_memory(driver, anf_size, adder_n):
    print("\nmemory per output monomial (bytes)")
    print("  %-40s %10s %12s %12s %12s %12s" % ("result", "terms", "ondrex RSS", "ondrex acct",
                                               "BRiAl nodes", "BRiAl RSS"))
    script = os.path.abspath(__file__)
    env = dict(os.environ)
    rng = random.Random(7)
    path = write_polys([random_monomials(rng, anf_size), []])
    try:
        for kind, size in (("adder", adder_n), ("anf", anf_size)):
            out = subprocess.run([sys.executable, script, "--memory-probe", kind, str(size), path],
                                 check=True, capture_output=True, text=True, env=env).stdout
            terms, grown, acc = map(int, out.split())
            if kind == "adder":
                br = brial(driver, 1, "adder", size)
                nodes, brss = br["adder_nodes"], br["adder_rss"]
                name = "adder n=%d, all sum bits" % size
            else:
                br = brial(driver, 1, "anf", path)
                nodes, brss = br["anf_nodes"], br["anf_rss"]
                name = "random ANF, degree 1..5 over 64 symbols"
            print("  %-40s %10d %12.1f %12.1f %12.3f %12.1f" % (
                name, terms, grown / terms, acc / terms, nodes * br["node_bytes"] / terms,
                brss / terms), flush=True)
    finally:
        os.unlink(path)
    print("  (ondrex acct: 26-byte records plus malloc blocks of the argument vectors; BRiAl nodes:"
          " ZDD nodes of each result x %d bytes, a lower bound that leaves out CUDD's tables)"
          % 32)


# Main -------------------------------------------------------------------------------------------


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--memory-probe":
        memory_probe(sys.argv[2], int(sys.argv[3]), sys.argv[4])
        return
    ap = argparse.ArgumentParser()
    ap.add_argument("--driver", required=True)
    ap.add_argument("--runs", type=int, default=3, help="best of this many runs")
    ap.add_argument("--seed", type=int, default=12, help="the shared random order of the ESF loop")
    ap.add_argument("--spn-bits", type=int, default=16,
                    help="output bits of round 2 to build (fewer: extrapolated to 16)")
    ap.add_argument("--add-sizes", default="5000,10000,20000,40000")
    ap.add_argument("--add-cap", type=float, default=20.0,
                    help="skip larger P + Q sizes once one takes longer, seconds")
    ap.add_argument("--only", default="adder,esf,spn,add,memory")
    args = ap.parse_args()
    only = set(args.only.split(","))
    t = Table()
    print("ondrex against BRiAl with its best order (best of %d runs unless said; ratio ="
          " ondrex / BRiAl, above 1 is slower)" % args.runs)
    t.header()
    per_mono = []
    if "adder" in only:
        per_mono = bench_adder(t, args.driver, args.runs, (12, 16, 20))
    if "esf" in only:
        bench_esf(t, args.driver, args.runs, args.seed, (2000, 4000, 8000))
    if "spn" in only:
        bench_spn(t, args.driver, args.runs, args.spn_bits)
    if "add" in only:
        bench_add(t, args.driver, args.runs, [int(s) for s in args.add_sizes.split(",")],
                  args.add_cap)
    if per_mono:
        print("\nadder, simplify after every step: time per output monomial (ns)")
        print("  %4s %10s %12s %12s %8s" % ("n", "terms", "ondrex", "BRiAl+walk", "ratio"))
        for n, terms, ours, peer in per_mono:
            print("  %4d %10d %12.1f %12.1f %7.1fx" % (n, terms, ours / terms * 1e9,
                                                      peer / terms * 1e9, ours / peer))
    if "memory" in only:
        bench_memory(args.driver, 200_000, 20)


if __name__ == "__main__":
    main()
