"""Rewriting of disjunctions into sums of elementary symmetric functions and back."""

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import ondrex
from helpers import add, mul
from ondrex import ExprType, ExprWithArgs, esf, imm


def or_(*a):
    return ExprWithArgs(ExprType.or_, list(a))


def symbols(syms, names):
    return [syms[n] for n in names]


@pytest.mark.parametrize("names", ["", "a", "ab", "abc", "abcd", "abcde"])
def test_or_to_esf_shape_before_simplification(syms, names):
    xs = symbols(syms, names)
    r = ondrex.or_to_esf(or_(*reversed(xs)))
    assert r.is_add()
    terms = list(r.args())
    n = len(xs)
    assert len(terms) == n
    # Degree order: the plain sum, ESF_2 .. ESF_(n-1), the product; each over the sorted copy.
    for d, t in enumerate(terms, start=1):
        if d == 1:
            assert t.is_add() and list(t.args()) == xs
        elif d == n:
            assert t.is_mul() and list(t.args()) == xs
        else:
            assert t == esf(d, xs) and t.esf_degree() == d


def test_or_to_esf_copy_and_inplace(syms):
    a, b = syms["a"], syms["b"]
    e = or_(a, b)
    r = ondrex.or_to_esf(e)
    assert e == or_(a, b)
    assert ondrex.or_to_esf_inplace(e) is None
    assert e == r
    assert [t.type() for t in r.args()] == [ExprType.add, ExprType.mul]
    assert ondrex.simplify(r) == add(mul(a, b), a, b)


def test_or_to_esf_without_or_changes_nothing(syms):
    a, b, c = symbols(syms, "abc")
    e = mul(add(a, b), c)
    assert ondrex.or_to_esf(e) == e
    # ESF nodes are not disjunctions: left as they are.
    f = esf(2, [a, b, c])
    assert ondrex.or_to_esf(f) == f


def test_or_to_esf_rewrites_inner_or_first(syms):
    a, b, c = symbols(syms, "abc")
    r = ondrex.or_to_esf(or_(a, or_(b, c)))
    inner = ondrex.or_to_esf(or_(b, c))
    # The outer Or's arguments, sorted: the rewritten inner sum (an Add) before the symbol a.
    assert [t.type() for t in r.args()] == [ExprType.add, ExprType.mul]
    for t in r.args():
        assert list(t.args()) == [inner, a]
    assert ondrex.simplify(r) == ondrex.simplify(a + b + c + a * b + a * c + b * c + a * b * c)


def test_or_to_esf_reaches_ors_below_other_nodes(syms):
    a, b, x = symbols(syms, "abx")
    r = ondrex.or_to_esf(mul(x, or_(a, b)))
    assert r.is_mul()
    assert list(r.args()) == [ondrex.or_to_esf(or_(a, b)), x]


def test_or_to_esf_refuses_more_than_255_arguments(syms):
    xs = [ondrex.symbol(f"wide{i}") for i in range(256)]
    e = add(or_(*xs), syms["a"])
    before = e.copy()
    with pytest.raises(ValueError, match="more than 255 arguments"):
        ondrex.or_to_esf_inplace(e)
    assert e == before
    with pytest.raises(ValueError):
        ondrex.or_to_esf(e)
    r = ondrex.or_to_esf(or_(*xs[:255]))
    assert len(r.args()) == 255 and r.args()[253].esf_degree() == 254


@pytest.mark.parametrize("build, expected", [
    # Pairs from products only.
    (lambda s: add(mul(s["a"], s["b"]), s["a"], s["b"]), lambda s: or_(s["a"], s["b"])),
    (lambda s: add(mul(s["a"], s["b"]), s["a"], s["b"], s["c"]),
     lambda s: add(or_(s["a"], s["b"]), s["c"])),
    # Without ESF terms only pairs can be found, even in the full expansion of a | b | c.
    (lambda s: ondrex.simplify(s["a"] + s["b"] + s["c"] + s["a"] * s["b"] + s["a"] * s["c"]
                               + s["b"] * s["c"] + s["a"] * s["b"] * s["c"]),
     lambda s: add(or_(s["a"], s["b"]), s["c"], s["a"] * s["c"], s["b"] * s["c"],
                   s["a"] * s["b"] * s["c"])),
    (lambda s: add(s["a"], s["b"], s["c"], esf(2, [s["a"], s["b"], s["c"]]),
                   mul(s["a"], s["b"], s["c"])),
     lambda s: or_(s["a"], s["b"], s["c"])),
    # The first pair in enumeration order wins when candidates overlap.
    (lambda s: add(mul(s["a"], s["b"]), mul(s["b"], s["c"]), s["a"], s["b"], s["c"]),
     lambda s: add(or_(s["a"], s["b"]), mul(s["b"], s["c"]), s["c"])),
    # Larger candidates are tried first: a | b | c, then the pair d | e.
    (lambda s: add(esf(2, [s["a"], s["b"], s["c"]]), mul(s["d"], s["e"]),
                   mul(s["a"], s["b"], s["c"]), s["a"], s["b"], s["c"], s["d"], s["e"]),
     lambda s: add(or_(s["d"], s["e"]), or_(s["a"], s["b"], s["c"]))),
    # ESF terms whose lowest degree is 3 never let three or more symbols match.
    (lambda s: add(esf(3, symbols(s, "abcd")), mul(s["a"], s["b"]), mul(*symbols(s, "abcd")),
                   *symbols(s, "abcd")),
     lambda s: add(or_(s["a"], s["b"]), esf(3, symbols(s, "abcd")), mul(*symbols(s, "abcd")),
                   s["c"], s["d"])),
    # Other terms stay where they are; an Or already present is not cancelled by an equal one.
    (lambda s: add(or_(s["a"], s["b"]), mul(s["a"], s["b"]), s["a"], s["b"], imm(1)),
     lambda s: add(or_(s["a"], s["b"]), or_(s["a"], s["b"]), imm(1))),
    # Nested sums are reached: node first, then its arguments.
    (lambda s: mul(s["x"], add(mul(s["a"], s["b"]), s["a"], s["b"])),
     lambda s: mul(s["x"], or_(s["a"], s["b"]))),
])
def test_identify_ors_folds(syms, build, expected):
    e = build(syms)
    assert ondrex.identify_ors_inplace(e) is True
    assert e == expected(syms)


@pytest.mark.parametrize("build", [
    lambda s: add(mul(s["a"], s["b"]), s["a"]),            # one symbol only
    lambda s: add(s["a"], s["b"], s["c"]),                   # no product
    lambda s: add(mul(s["a"], s["c"]), s["a"], s["b"]),      # product of other symbols
    lambda s: add(esf(2, [s["a"], s["b"], s["c"]]), s["a"], s["b"], s["c"]),  # no product
    lambda s: mul(s["a"], s["b"]),
    lambda s: s["a"],
    lambda s: add(),
])
def test_identify_ors_leaves_other_sums(syms, build):
    e = build(syms)
    before = e.copy()
    assert ondrex.identify_ors_inplace(e) is False
    assert e == before


@pytest.mark.parametrize("n", [2, 3, 4, 5])
def test_round_trip(n):
    xs = [ondrex.symbol(f"rt{i}") for i in range(n)]
    o = or_(*xs)
    e = ondrex.simplify(ondrex.or_to_esf(o))
    assert ondrex.identify_ors_inplace(e) is True
    assert e == o


def test_round_trip_of_several_disjoint_ors(syms):
    a, b, c, d, x = symbols(syms, "abcdx")
    o = add(or_(a, b, c), or_(d, x))
    e = ondrex.simplify(ondrex.or_to_esf(o))
    assert ondrex.identify_ors_inplace(e) is True
    assert e == o


def test_or_functions_reject_non_expressions():
    for fn in (ondrex.or_to_esf, ondrex.or_to_esf_inplace, ondrex.identify_ors_inplace):
        with pytest.raises(TypeError):
            fn(1)


def test_or_functions_follow_esf_expansion():
    names = [n for n in vars(ondrex) if not n.startswith("_")]
    i = names.index("expand_esf")
    assert names[i + 1:i + 4] == ["or_to_esf_inplace", "or_to_esf", "identify_ors_inplace"]


NV = 6
PV = [ondrex.symbol(f"orp{i}") for i in range(NV)]


@st.composite
def or_heavy_sums(draw):
    """Simplified sums made of the ESF forms of disjoint Ors, with terms dropped and products
    and ESF terms over other subsets mixed in."""
    order = draw(st.permutations(range(NV)))
    cuts = sorted(draw(st.sets(st.integers(1, NV - 1), max_size=3)))
    blocks = [order[i:j] for i, j in zip([0] + cuts, cuts + [NV])]
    terms = []
    for b in blocks:
        xs = sorted((PV[i] for i in b), key=lambda x: x.sym_idx())
        expansion = list(ondrex.or_to_esf(or_(*xs)).args()) if len(xs) > 1 else xs
        terms += [t for t in expansion if draw(st.integers(0, 5)) > 0]
    for sub in draw(st.lists(st.sets(st.integers(0, NV - 1), min_size=2), max_size=3)):
        xs = [PV[i] for i in sorted(sub)]
        d = draw(st.integers(2, len(xs)))
        terms.append(mul(*xs) if d == len(xs) else esf(d, xs))
    return ondrex.simplify(add(*terms))


@settings(max_examples=300, deadline=None)
@given(or_heavy_sums())
def test_identify_ors_keeps_the_function_and_inverts_or_to_esf(e):
    folded = e.copy()
    changed = ondrex.identify_ors_inplace(folded)
    assert changed == (folded != e)
    # Rewriting the found Ors back gives the very same simplified sum...
    assert ondrex.simplify(ondrex.or_to_esf(folded)) == e
    # ...and the function is the same at every point.
    back = ondrex.or_to_esf(folded)
    for bits in range(1 << NV):
        point = {x: imm((bits >> i) & 1) for i, x in enumerate(PV)}
        assert back.eval(point) == e.eval(point)
