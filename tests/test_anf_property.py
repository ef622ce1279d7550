"""simplify on random +/* trees gives exactly the algebraic normal form, checked against a
truth table turned into ANF coefficients by the Moebius transform."""

import os

from hypothesis import given, settings
from hypothesis import strategies as st

import ondrex
from ondrex import ExprType, ExprWithArgs, imm, simplify

NVARS = 4
VARS = [ondrex.symbol("anf_v%d" % i) for i in range(NVARS)]

# Trees as plain data: ("sym", i), ("imm", v), or (op, built_raw, [children]).
leaves = st.one_of(
    st.tuples(st.just("sym"), st.integers(0, NVARS - 1)),
    st.tuples(st.just("imm"), st.integers(0, 1)),
)
trees = st.recursive(
    leaves,
    lambda kids: st.tuples(
        st.sampled_from(["add", "mul"]), st.booleans(), st.lists(kids, min_size=1, max_size=4)
    ),
    max_leaves=14,
)


def build(t):
    """The expression: raw nodes (duplicates, single arguments kept) or operator folds."""
    if t[0] == "sym":
        return VARS[t[1]]
    if t[0] == "imm":
        return imm(t[1])
    op, raw, kids = t
    args = [build(k) for k in kids]
    if raw:
        return ExprWithArgs(ExprType.add if op == "add" else ExprType.mul, args)
    acc = args[0]
    for a in args[1:]:
        acc = acc + a if op == "add" else acc * a
    return acc


def evaluate(t, point):
    if t[0] == "sym":
        return point[t[1]]
    if t[0] == "imm":
        return t[1]
    op, _, kids = t
    vals = [evaluate(k, point) for k in kids]
    if op == "add":
        return sum(vals) % 2
    return int(all(vals))


def anf_monomials(t):
    """Monomials (tuples of variable numbers) with coefficient 1, by the Moebius transform."""
    size = 1 << NVARS
    f = [evaluate(t, [(m >> i) & 1 for i in range(NVARS)]) for m in range(size)]
    for i in range(NVARS):
        for m in range(size):
            if m >> i & 1:
                f[m] ^= f[m ^ (1 << i)]
    return [tuple(i for i in range(NVARS) if m >> i & 1) for m in range(size) if f[m]]


def anf_text(monomials):
    """The printed canonical form: products by size then lexicographically, symbols, then 1."""

    def key(m):
        return (0, len(m), m) if len(m) >= 2 else (1 + (len(m) == 0), len(m), m)

    def mono(m):
        if not m:
            return "1"
        if len(m) == 1:
            return repr(VARS[m[0]])
        return "(" + " * ".join(repr(VARS[i]) for i in m) + ")"

    ms = sorted(monomials, key=key)
    if not ms:
        return "0"
    if len(ms) == 1:
        return mono(ms[0])
    return "(" + " + ".join(mono(m) for m in ms) + ")"


@settings(max_examples=400, deadline=None, derandomize=bool(os.environ.get("CI")))
@given(trees)
def test_simplify_gives_the_anf(t):
    e = build(t)
    s = simplify(e)
    assert repr(s) == anf_text(anf_monomials(t))
    assert simplify(s) == s


def test_oracle_on_known_forms():
    x0x1_plus_x0 = ("add", True, [("mul", True, [("sym", 0), ("sym", 1)]), ("sym", 0)])
    assert anf_text(anf_monomials(x0x1_plus_x0)) == "((anf_v0 * anf_v1) + anf_v0)"
    assert anf_text(anf_monomials(("mul", True, [("sym", 2), ("imm", 0)]))) == "0"
    assert anf_text(anf_monomials(("add", True, [("sym", 3), ("imm", 1)]))) == "(anf_v3 + 1)"
