"""Differential properties: the rewriting passes, substitution and evaluation keep the Boolean
function of random trees, the inverse agrees with a plain elimination and the vectorial
decomposition gives its outputs back. Every judgement comes from the oracles of expr_trees and
gf2, which never use the library's own algorithms."""

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import ondrex
from helpers import vec
from expr_trees import (NVARS, POOL, anf_expr, assert_simplified, build, examples, expr_table,
                        table, trees, value)
from gf2 import gf2_inverse
from ondrex import ExprType, ExprWithArgs, Matrix, imm, simplify


def nodes(e):
    yield e
    if e.has_args():
        for a in e.args():
            yield from nodes(a)


def kinds_in(e):
    return {n.type() for n in nodes(e)}


def assert_sorted(e):
    for n in nodes(e):
        if n.has_args():
            args = list(n.args())
            assert all(not (b < a) for a, b in zip(args, args[1:])), n


@settings(max_examples=examples(300))
@given(trees())
def test_simplify_keeps_the_function_and_is_idempotent(t):
    e = build(t)
    before = repr(e)
    s = simplify(e)
    assert expr_table(s) == table(t)
    assert_simplified(s)
    assert simplify(s) == s
    assert repr(e) == before


@pytest.mark.parametrize("factors, text", [
    (lambda a, b: [a | b, a + imm(1), a], "0"),
    (lambda a, b: [a | b, a + b + imm(1), a], "((a | b) * a * b)"),
    (lambda a, b: [a | b, b + imm(1), a, b], "0"),
    (lambda a, b: [a | b, a + b, a], "((a | b) * ((a * b) + a))"),
    # A term Mul(Or, sum) of an outer expansion gets the trailing a and is expanded at once.
    (lambda a, b: [a, ExprWithArgs(ExprType.add, [(a | b) * (a + b), b])],
     "(((a | b) * ((a * b) + a)) + (a * b))"),
])
def test_trailing_factors_cancel_inside_a_kept_sum(syms, factors, text):
    # Behind an Or factor the sum stays inside the product; terms that the trailing factors
    # make equal must still cancel.
    s = simplify(ExprWithArgs(ExprType.mul, factors(syms["a"], syms["b"])))
    assert repr(s) == text
    assert simplify(s) == s


@pytest.mark.parametrize("rewrite, gone", [(ondrex.expand_esf, ExprType.esf),
                                           (ondrex.or_to_esf, ExprType.or_)])
@settings(max_examples=examples(200))
@given(t=trees())
def test_rewriting_away_esf_or_or_keeps_the_function(rewrite, gone, t):
    # The rewrites leave their new nodes unmerged; simplify afterwards must merge them.
    r = rewrite(build(t))
    assert gone not in kinds_in(r)
    assert expr_table(r) == table(t)
    s = simplify(r)
    assert gone not in kinds_in(s)
    assert expr_table(s) == table(t)
    assert_simplified(s)


@settings(max_examples=examples(300))
@given(trees(), st.booleans())
def test_identify_ors_keeps_the_function(t, simplified):
    # Simplified input is what the pass is made for; built trees are sorted too, only not merged.
    e = simplify(build(t)) if simplified else build(t)
    before = e.copy()
    changed = ondrex.identify_ors_inplace(e)
    assert changed == (e != before)
    assert expr_table(e) == table(t)
    assert_sorted(e)


@st.composite
def substitutions(draw):
    keys = draw(st.lists(st.integers(0, NVARS - 1), unique=True, max_size=NVARS))
    return {k: draw(trees(max_leaves=6)) for k in keys}


@settings(max_examples=examples(100))
@given(trees(), substitutions())
def test_subs_exprs_composes_the_functions(t, subs):
    e = build(t)
    before = repr(e)
    keys = [POOL[k] for k in subs]
    values = [build(v) for v in subs.values()]
    r = ondrex.subs_exprs(e, keys, values)
    assert repr(e) == before
    assert expr_table(r) == table(t, subs)
    assert_sorted(r)
    ondrex.subs_exprs_inplace(e, keys, values)
    assert e == r
    # The Vector overload substitutes element by element.
    v = ondrex.subs_exprs(vec(build(t), POOL[0]), keys, values)
    assert list(v) == [r, ondrex.subs_exprs(POOL[0], keys, values)]


@settings(max_examples=examples(100))
@given(trees(), st.data())
def test_subs_exprs_replaces_outermost_subexpressions(t, data):
    e = build(t)
    inner = list(nodes(e))
    picks = data.draw(st.lists(st.integers(0, len(inner) - 1), unique=True, max_size=3))
    keys = []
    for i in picks:
        if all(inner[i] != k for k in keys):
            keys.append(inner[i].copy())
    value_trees = [data.draw(trees(max_leaves=6)) for _ in keys]
    r = ondrex.subs_exprs(e, keys, [build(v) for v in value_trees])
    reps = list(zip(keys, value_trees))

    def at(point):
        return lambda n: next((bool(value(v, point)) for k, v in reps if n == k), None)

    assert expr_table(r) == expr_table(e, at)


@settings(max_examples=examples(200))
@given(trees(), st.tuples(*[st.integers(0, 1)] * NVARS))
def test_eval_at_a_point(t, point):
    e = build(t)
    r = e.eval({POOL[i]: imm(point[i]) for i in range(NVARS)})
    assert set(expr_table(r)) == {value(t, point)}
    if ExprType.esf not in kinds_in(e):
        # Only an ESF over ones is left unfolded by the passes; everything else folds.
        assert r == imm(value(t, point))


@settings(max_examples=examples(100))
@given(trees(), substitutions())
def test_eval_with_expressions_composes_and_simplifies(t, subs):
    r = build(t).eval({POOL[k]: build(v) for k, v in subs.items()})
    assert expr_table(r) == table(t, subs)
    assert_simplified(r)


# Matrix.inverse against Gauss-Jordan in Python.

def unit_triangular_product(n, lower_bits, upper_bits):
    """Rows (ints, bit j = column j) of L * U for unit lower L and unit upper U: invertible."""
    full = (1 << n) - 1
    lower = [(lower_bits[i] & ((1 << i) - 1)) | (1 << i) for i in range(n)]
    upper = [(upper_bits[k] & full & ~((2 << k) - 1)) | (1 << k) for k in range(n)]
    rows = []
    for i in range(n):
        r = 0
        for k in range(n):
            if lower[i] >> k & 1:
                r ^= upper[k]
        rows.append(r)
    return rows


@st.composite
def square_bit_matrices(draw, max_n=40):
    n = draw(st.integers(0, max_n))
    words = st.lists(st.integers(0, (1 << n) - 1), min_size=n, max_size=n)
    kind = draw(st.sampled_from(["random", "invertible", "singular"]))
    if kind == "invertible":
        rows = unit_triangular_product(n, draw(words), draw(words))
        rows = [rows[i] for i in draw(st.permutations(range(n)))]
    else:
        rows = draw(words)
    if kind == "singular" and n:
        # One line the sum of some others (none: a zero line).
        r = draw(st.integers(0, n - 1))
        others = draw(st.sets(st.integers(0, n - 1).filter(lambda i: i != r), max_size=n - 1))
        rows[r] = 0
        for o in others:
            rows[r] ^= rows[o]
    return kind, [[rows[i] >> j & 1 for j in range(n)] for i in range(n)]


@settings(max_examples=examples(150))
@given(square_bit_matrices())
def test_inverse_agrees_with_gauss_jordan(case):
    kind, rows = case
    n = len(rows)
    m = Matrix(n, n, lambda i, j: imm(rows[i][j]))
    expected = gf2_inverse(rows)
    inv = m.inverse()
    assert [[m.at(i, j).imm_value() for j in range(n)] for i in range(n)] == \
        [[bool(b) for b in r] for r in rows]
    if kind == "invertible":
        assert expected is not None
    if kind == "singular" and n:
        assert expected is None
    if expected is None or n == 0:
        assert (inv.nlines(), inv.ncols(), repr(inv)) == (0, 0, "Mat(empty)")
    else:
        assert (inv.nlines(), inv.ncols()) == (n, n)
        assert all(e.is_imm() for e in inv)
        assert [[inv.at(i, j).imm_value() for j in range(n)] for i in range(n)] == expected


# vectorial_decomp on random ANF functions.

@st.composite
def anf_functions(draw):
    """Distinct inputs taken from the pool in any order, and outputs given as monomial sets;
    products may hold symbols outside the inputs, lone symbols are inputs."""
    order = draw(st.permutations(range(NVARS)))
    inputs = order[:draw(st.integers(1, NVARS))]
    monomial = st.frozensets(st.integers(0, NVARS - 1), max_size=4)
    outputs = []
    for _ in range(draw(st.integers(0, 5))):
        ms = draw(st.sets(monomial, max_size=8))
        outputs.append(frozenset(m for m in ms if len(m) != 1 or next(iter(m)) in inputs))
    return inputs, outputs


@settings(max_examples=examples(200))
@given(anf_functions())
def test_vectorial_decomp_round_trips(fn):
    inputs, polys = fn
    xs = vec(*(POOL[i] for i in inputs))
    outs = vec(*(anf_expr(p) for p in polys))
    app = ondrex.analyses.vectorial_decomp(xs, outs)
    m, cst = app.matrix(), app.cst()
    assert (m.nlines(), m.ncols(), cst.size()) == (len(polys), len(inputs), len(polys))
    for i, p in enumerate(polys):
        assert [m.at(i, j) for j in range(len(inputs))] == \
            [imm(frozenset([x]) in p) for x in inputs]
        assert cst.at(i) == imm(frozenset() in p)
    # The affine part is affine and the non-linear part has no affine term, exactly.
    nl = simplify(app.nl()(xs))
    affine = simplify(app.affine()(xs))
    for i, p in enumerate(polys):
        assert nl.at(i) == anf_expr(frozenset(q for q in p if len(q) >= 2))
        assert affine.at(i) == anf_expr(frozenset(q for q in p if len(q) <= 1))
    assert simplify(app(xs)) == outs
