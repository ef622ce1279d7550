"""Substitution of symbols by constants (subs_vectors), of sub-expressions (subs_exprs,
subs_exprs_inplace) and evaluation through a mapping (Expr.eval)."""

from collections.abc import Mapping

import pytest

import ondrex
from helpers import add, mul, vec
from interface import ADDED_MEMBERS
from ondrex import Matrix, Vector, imm


# The same substitution seen through each container: wrap an expression, read the results back.
CONTAINERS = {
    "expr": (lambda e: e, lambda r: [r], ondrex.Expr),
    "vector": (lambda e: vec(e, e), lambda r: list(r), Vector),
    "matrix": (lambda e: Matrix(2, 3, e), lambda r: list(r), Matrix),
}


@pytest.fixture(params=list(CONTAINERS))
def container(request):
    return CONTAINERS[request.param]


def shape(x):
    return (x.nlines(), x.ncols()) if isinstance(x, Matrix) else None


def test_subs_vectors_least_significant_bit_first(syms, container):
    a, b, c, x = syms["a"], syms["b"], syms["c"], syms["x"]
    wrap, elements, kind = container
    e = (a + x) * (b + c)
    src = wrap(e)
    r = ondrex.subs_vectors(src, [vec(a, b, c)], [5])
    assert isinstance(r, kind) and shape(r) == shape(src)
    # a = 1, b = 0, c = 1, nothing simplified, every list sorted again.
    want = mul(add(x, imm(1)), add(imm(0), imm(1)))
    assert all(el == want for el in elements(r))
    assert all(el == e for el in elements(src))
    assert ondrex.simplify(want) == x + imm(1)


@pytest.mark.parametrize("elts, value, expected", [
    # Non-symbol elements are skipped but keep their position.
    (lambda s: [s["a"], imm(1), s["c"]], 0b100, {"a": 0, "c": 1}),
    (lambda s: [s["a"] + s["b"], s["c"]], 0b10, {"c": 1}),
    # From position 64 on the bits wrap around: position 64 reads bit 0.
    (lambda s: [imm(0)] * 64 + [s["a"]], 1, {"a": 1}),
])
def test_subs_vectors_positions(syms, elts, value, expected):
    names = ["a", "b", "c"]
    e = add(*(syms[n] for n in names))
    r = ondrex.subs_vectors(e, [vec(*elts(syms))], [value])
    want = add(*(imm(expected[n]) if n in expected else syms[n] for n in names))
    assert r == want


@pytest.mark.parametrize("values", [[1, 0], [0, 1], [1, 1]])
def test_subs_vectors_repeated_symbol_takes_any_one(syms, values):
    a = syms["a"]
    r = ondrex.subs_vectors(a + syms["b"], [vec(a), vec(a)], values)
    assert r == add(syms["b"], imm(1))


def test_subs_vectors_several_vectors_and_unlisted_symbols(syms):
    a, b, c, d = (syms[n] for n in "abcd")
    r = ondrex.subs_vectors(a * b * c * d, [vec(a, b), vec(c)], [0b10, 1])
    assert r == mul(d, imm(0), imm(1), imm(1))


@pytest.mark.parametrize("fn", ["subs_vectors", "subs_exprs", "subs_exprs_inplace"])
def test_lists_of_different_lengths_are_refused(syms, container, fn):
    a, b = syms["a"], syms["b"]
    wrap, elements, _ = container
    src = wrap(a + b)
    first = [vec(a)] if fn == "subs_vectors" else [a]
    second = [1, 0] if fn == "subs_vectors" else [b, a]
    with pytest.raises(RuntimeError, match="^size mismatch$"):
        getattr(ondrex, fn)(src, first, second)
    assert all(el == a + b for el in elements(src))


@pytest.mark.parametrize("first, second", [
    (lambda s: [s["a"]], [1]),              # not a Vector
    (lambda s: [vec(s["a"])], [1.0]),       # floats are refused
    (lambda s: [vec(s["a"])], [-1]),
    (lambda s: [vec(s["a"])], [2 ** 64]),
    (lambda s: [vec(s["a"])], ["1"]),
])
def test_subs_vectors_conversion_errors(syms, first, second):
    with pytest.raises(RuntimeError, match="^Unable to cast Python instance of type"):
        ondrex.subs_vectors(syms["a"], first(syms), second)


def test_subs_vectors_accepts_index_objects(syms):
    class Idx:
        def __index__(self):
            return 1

    assert ondrex.subs_vectors(syms["a"], [vec(syms["a"])], [Idx()]) == imm(1)


@pytest.mark.parametrize("fn", ["subs_vectors", "subs_exprs", "subs_exprs_inplace"])
def test_arguments_that_match_no_overload(syms, fn):
    a = syms["a"]
    with pytest.raises(TypeError):
        getattr(ondrex, fn)(a, (a,), [a])
    with pytest.raises(TypeError):
        getattr(ondrex, fn)(1, [a], [a])


def test_subs_exprs_replaces_without_simplifying(syms, container):
    a, b, c, x = (syms[n] for n in "abcx")
    wrap, elements, kind = container
    src = wrap(a * x + a)
    r = ondrex.subs_exprs(src, [a], [b + c])
    assert isinstance(r, kind) and shape(r) == shape(src)
    want = add(mul(add(b, c), x), add(b, c))
    assert all(el == want for el in elements(r))
    assert all(el == a * x + a for el in elements(src))


def test_subs_exprs_inplace_changes_its_argument(syms, container):
    a, b, c = (syms[n] for n in "abc")
    wrap, elements, _ = container
    src = wrap(a * b + c)
    assert ondrex.subs_exprs_inplace(src, [a * b], [c]) is None
    assert all(el == add(c, c) for el in elements(src))


@pytest.mark.parametrize("keys, values, expected", [
    # A whole product as key.
    (lambda s: [s["a"] * s["b"]], lambda s: [s["c"]], lambda s: s["c"]),
    # The last of two equal keys wins.
    (lambda s: [s["a"], s["a"]], lambda s: [s["x"], s["y"]], lambda s: mul(s["b"], s["y"])),
    # Top-down: the product matches before its factor a, and the value is not revisited.
    (lambda s: [s["a"], s["a"] * s["b"]], lambda s: [s["y"], s["a"] + s["x"]],
     lambda s: add(s["a"], s["x"])),
    # No key matches: only re-sorted.
    (lambda s: [s["z"]], lambda s: [s["x"]], lambda s: s["a"] * s["b"]),
])
def test_subs_exprs_matching(syms, keys, values, expected):
    assert ondrex.subs_exprs(syms["a"] * syms["b"], keys(syms), values(syms)) == expected(syms)


def test_subs_exprs_sorts_every_visited_list(syms):
    a, b, x = syms["a"], syms["b"], syms["x"]
    e = mul(x, add(a, b))  # Mul(Add(a, b), x)
    r = ondrex.subs_exprs(e, [b], [imm(1)])
    # The sum becomes Add(a, 1); the product's list is sorted with it: sums before symbols.
    assert list(r.args()) == [add(a, imm(1)), x]
    # A replacement that ranks before the sum moves ahead of it: products before sums.
    r2 = ondrex.subs_exprs(e, [x], [a * b])
    assert list(r2.args()) == [a * b, add(a, b)]


@pytest.mark.parametrize("first, second", [
    (lambda s: [s["a"], 1], lambda s: [s["b"], s["c"]]),
    (lambda s: [s["a"], s["b"]], lambda s: [s["c"], "c"]),
])
def test_subs_exprs_conversion_errors_change_nothing(syms, first, second):
    e = syms["a"] + syms["b"]
    with pytest.raises(RuntimeError, match="^Unable to cast Python instance of type"):
        ondrex.subs_exprs_inplace(e, first(syms), second(syms))
    assert e == syms["a"] + syms["b"]
    with pytest.raises(RuntimeError, match="^Unable to cast Python instance of type"):
        ondrex.subs_exprs(e, first(syms), second(syms))


class FrozenMap(Mapping):
    def __init__(self, d):
        self._d = dict(d)

    def __getitem__(self, k):
        return self._d[k]

    def __iter__(self):
        return iter(self._d)

    def __len__(self):
        return len(self._d)


@pytest.mark.parametrize("mapping_type", [dict, FrozenMap])
def test_eval_substitutes_then_simplifies(syms, mapping_type):
    a, b = syms["a"], syms["b"]
    ones = mapping_type({a: imm(1), b: imm(1)})
    assert (a * b).eval(ones) == imm(1)
    assert (a + b).eval(ones) == imm(0)
    e = ondrex.simplify((a + b) * a)
    assert e.eval(mapping_type({a: imm(1), b: imm(0)})) == imm(1)
    assert e == ondrex.simplify((a + b) * a)


def test_eval_on_a_symbol_and_with_expression_values(syms):
    a, b, c = syms["a"], syms["b"], syms["c"]
    assert a.eval({a: imm(0)}) == imm(0)
    # (a + b) with a -> b + c: b cancels once simplified.
    assert (a + b).eval({a: b + c}) == c
    assert (a * b).eval({}) == a * b


@pytest.mark.parametrize("bad", [[], {1: 2}, {"a": "b"}, None])
def test_eval_needs_a_mapping_of_expressions(syms, bad):
    with pytest.raises(TypeError):
        syms["a"].eval(bad)


def test_eval_is_the_last_expression_member():
    # __hash__ keeps the early dict slot of the None that __eq__ left, so the order of
    # registration shows as copy, then eval; only the library's additions follow.
    added = len(ADDED_MEMBERS.get("Expr", []))
    members = list(vars(ondrex.Expr))
    assert members[len(members) - added - 2:len(members) - added] == ["copy", "eval"]


def test_substitution_functions_follow_simplify():
    names = [n for n in vars(ondrex) if not n.startswith("_")]
    i = names.index("simplify")
    assert names[i + 1:i + 4] == ["subs_vectors", "subs_exprs_inplace", "subs_exprs"]
