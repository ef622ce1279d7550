"""simplify gives exactly the algebraic normal form: of random +/* trees directly, and of any
tree once its Or and ESF nodes are rewritten away. The ANF oracle (expansion with XOR
cancellation) is itself checked against the Moebius transform of the truth table."""

from hypothesis import given, settings

import ondrex
from expr_trees import NVARS, POINTS, anf, anf_expr, anf_text, build, examples, table, trees
from ondrex import simplify


def moebius(tt):
    """Monomials with coefficient 1, from a truth table in the order of POINTS."""
    f = list(tt)
    # POINTS lists the first variable as the most significant bit of the position.
    for v in range(NVARS):
        bit = 1 << (NVARS - 1 - v)
        for m in range(len(f)):
            if m & bit:
                f[m] ^= f[m ^ bit]
    return frozenset(frozenset(v for v in range(NVARS) if POINTS[m][v]) for m in range(len(f))
                     if f[m])


@settings(max_examples=examples(400))
@given(trees(ops=("add", "mul")))
def test_simplify_gives_the_anf(t):
    s = simplify(build(t))
    assert repr(s) == anf_text(anf(t))
    assert s == anf_expr(anf(t))
    assert simplify(s) == s


@settings(max_examples=examples(200))
@given(trees())
def test_without_or_and_esf_simplify_gives_the_anf(t):
    s = simplify(ondrex.expand_esf(ondrex.or_to_esf(build(t))))
    assert repr(s) == anf_text(anf(t))


@settings(max_examples=examples(300))
@given(trees())
def test_anf_oracle_agrees_with_the_truth_table(t):
    assert anf(t) == moebius(table(t))


def test_oracle_on_known_forms():
    x0x1_plus_x0 = ("add", True, [("mul", True, [("sym", 0), ("sym", 1)]), ("sym", 0)])
    assert anf_text(anf(x0x1_plus_x0)) == "((tv0 * tv1) + tv0)"
    assert anf_text(anf(("mul", True, [("sym", 2), ("imm", 0)]))) == "0"
    assert anf_text(anf(("add", True, [("sym", 3), ("imm", 1)]))) == "(tv3 + 1)"
    # a | b = a + b + ab; e_2(a, b, c) = ab + ac + bc; e_3 over two arguments is 0.
    assert anf(("or", False, [("sym", 0), ("sym", 1)])) == {
        frozenset([0]), frozenset([1]), frozenset([0, 1])}
    assert anf(("esf", 2, [("sym", 0), ("sym", 1), ("sym", 2)])) == {
        frozenset([0, 1]), frozenset([0, 2]), frozenset([1, 2])}
    assert anf(("esf", 3, [("sym", 0), ("sym", 1)])) == frozenset()
    assert moebius(table(x0x1_plus_x0)) == anf(x0x1_plus_x0)
