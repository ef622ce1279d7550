"""Iterators over a container that changes while they live: they follow the rule of element
references. While the storage stays they walk the container itself; an operation that may move or
free it detaches them first, and they go on over copies of the elements they had left, as those
were just before the change. No step reads freed or moved memory (the sanitizer suite runs these
too, and scripts/check_sanitizers.sh runs them under valgrind)."""

import copy
import gc
import pickle
import weakref

import pytest

import ondrex
from helpers import texts
from ondrex import ExprType, ExprWithArgs, SymbolsHist, SymbolsSet, Vector, imm, simplify, symbol
from stale_use import churn


# In the order of the shared fixture (conftest.py), so that whichever comes first, symbols print
# in the same order for every test.
S = {n: symbol(n) for n in "abcdefghxyzw"}


def syms_list(prefix, n):
    return [symbol(f"{prefix}{i}") for i in range(n)]


# The reproducers of the fault: each read freed storage or another object's arguments.

def test_args_iterator_across_growth_and_unrelated_allocations():
    a, b, c = S["a"], S["b"], S["c"]
    e = a + b + c
    it = iter(e.args())
    assert repr(next(it)) == "a"
    for f in syms_list("f", 20):
        e += f
    f0, f1, f2 = syms_list("f", 3)
    filler = [ExprWithArgs(ExprType.mul, [f0, f1, f2]) for _ in range(300)]
    assert texts(it) == ["b", "c"]
    assert len(filler) == 300 and len(e.args()) == 23


def test_args_iterator_across_simplify_inplace():
    a, b, c = S["a"], S["b"], S["c"]
    e = (a + b + c) * (a + c)
    it = iter(e.args())
    first = next(it)
    ondrex.simplify_inplace(e)
    churn()
    assert texts(it) == ["(a + b + c)"] and repr(first) == "(a + c)"
    assert list(it) == []


def test_loop_extending_the_expression_it_walks():
    a, b, c, d = S["a"], S["b"], S["c"], S["d"]
    e = a + b + c
    seen = []
    for t in e.args():
        seen.append(repr(t))
        e += t * d
    churn()
    assert seen == ["a", "b", "c"]
    assert simplify(e) == simplify(a + b + c + (a + b + c) * d)


def test_vector_iterator_across_a_longer_integer():
    a, b = S["a"], S["b"]
    v = Vector(3, a + b)
    it = iter(v)
    v.set_int_be(0, 64)
    filler = [Vector(4, a * b) for _ in range(100)]
    assert texts(it) == ["(a + b)"] * 3
    assert len(v) == 64 and len(filler) == 100


def test_histogram_iterator_across_compute():
    xs = syms_list("hx", 16)
    h = SymbolsHist()
    h.compute(sum((xs[i] * xs[i + 1] for i in range(15)), imm(0)))
    it = iter(h)
    first = next(it)
    h.compute(xs[0] * xs[1] + xs[2])
    churn()
    rest = list(it)
    assert repr(first) == "<hx0: 1>"
    assert [repr(v) for v in rest] == [f"<hx{i}: 2>" for i in range(1, 15)] + ["<hx15: 1>"]
    assert [repr(v) for v in h] == ["<hx0: 1>", "<hx1: 1>"]


# The rule, container by container.

EXPR_CHANGES = [
    ("iadd", lambda e, s: e.__iadd__(s["x"])),
    ("imul", lambda e, s: e.__imul__(s["x"])),
    ("ior", lambda e, s: e.__ior__(s["x"])),
    ("simplify", lambda e, s: ondrex.simplify_inplace(e)),
    ("subs", lambda e, s: ondrex.subs_exprs_inplace(e, [s["a"]], [imm(1)])),
    ("expand_esf", lambda e, s: ondrex.expand_esf_inplace(e)),
    ("or_to_esf", lambda e, s: ondrex.or_to_esf_inplace(e)),
    ("identify_ors", lambda e, s: ondrex.identify_ors_inplace(e)),
]


@pytest.mark.parametrize("change", [c for _, c in EXPR_CHANGES], ids=[n for n, _ in EXPR_CHANGES])
def test_args_iterators_go_on_over_the_arguments_before_the_change(change):
    a, b, c = S["a"], S["b"], S["c"]
    e = (a | b) + ondrex.esf(2, [a, b, c]) + a * c
    before = texts(e.args())
    outer = iter(e.args())
    next(outer)
    inner = iter(e.args()[0].args())        # the arguments of the Or inside e
    change(e, S)
    churn()
    assert texts(outer) == before[1:]
    assert texts(inner) == ["a", "b"]


def test_elements_are_shared_until_the_detach_then_independent():
    a, b = S["a"], S["b"]
    v = Vector(3, a)
    it = iter(v)
    x = next(it)
    x += b                                  # a reference: seen through the vector
    assert repr(v[0]) == "(a + b)"
    v.set_int_le(5, 4)                      # another length: the iterator detaches
    y = next(it)
    y += b                                  # a copy now: the vector does not see it
    assert repr(y) == "(a + b)" and texts(it) == ["a"]
    assert v.get_int_le() == 5


@pytest.mark.parametrize("container,change,expected", [
    # Same length: the storage stays, so the iterator keeps walking the container.
    (lambda s: Vector(3, s["a"]), lambda v, s: v.__iadd__(Vector(3, s["b"])),
     ["(a + b)", "(a + b)"]),
    (lambda s: Vector(3, s["a"]), lambda v, s: v.set_int_be(0b110, 3), ["1", "1"]),
    (lambda s: Vector(3, s["a"]), lambda v, s: v.set_null(), ["0", "0"]),
    (lambda s: ondrex.Matrix(2, 2, s["a"]), lambda m, s: m.__iadd__(ondrex.Matrix(2, 2, s["a"])),
     ["0", "0", "0"]),
    # Another length: the iterator goes on over what the vector held.
    (lambda s: Vector(3, s["a"]), lambda v, s: v.set_int_be(1, 1), ["a", "a"]),
    (lambda s: Vector(3, s["a"]), lambda v, s: v.set_int_le(1, 200), ["a", "a"]),
], ids=["vector_iadd", "vector_same_length", "set_null", "matrix_iadd", "shorter", "longer"])
def test_vector_and_matrix_iterators(container, change, expected):
    x = container(S)
    it = iter(x)
    next(it)
    change(x, S)
    churn()
    assert texts(it) == expected


def test_iterator_over_the_arguments_of_an_element():
    a, b, c = S["a"], S["b"], S["c"]
    v = Vector(2, a + b)
    it = iter(v[0].args())
    v *= c                                  # the elements stay, their arguments are rebuilt
    churn()
    assert texts(it) == ["a", "b"] and repr(v[0]) == "((a + b) * c)"


def test_set_iterator_goes_on_over_the_set_before_an_insertion():
    xs = syms_list("sx", 40)
    s = SymbolsSet()
    for x in xs[:20]:
        s.insert(x)
    it = iter(s)
    next(it)
    assert s.insert(xs[0]) is False         # present already: nothing changes
    for x in xs[20:]:                       # new nodes, the tree rebalances
        s.insert(x)
    churn()
    assert texts(it) == [f"sx{i}" for i in range(1, 20)]
    assert len(s) == 40


def test_iterators_over_a_list_that_was_detached():
    a, b = S["a"], S["b"]
    e = a + b
    args = e.args()
    it = iter(args)
    e += S["c"]                          # detaches args and it together
    it2 = iter(args)                        # an iterator over the detached copy
    e += S["d"]
    assert texts(it) == ["a", "b"] and texts(it2) == ["a", "b"]


def test_a_live_iterator_keeps_its_container_and_an_exhausted_one_lets_it_go():
    v = Vector(3, S["a"])
    alive = weakref.ref(v)
    it = iter(v)
    del v
    gc.collect()
    assert alive() is not None and texts(it) == ["a"] * 3
    gc.collect()
    assert alive() is None
    with pytest.raises(StopIteration):
        next(it)


# Iterator objects themselves.

def every_iterator():
    a, b = S["a"], S["b"]
    h = SymbolsHist()
    h.compute(a * b + a)
    s = SymbolsSet()
    s.insert(a)
    views = []
    ondrex.algos.draw_without_replacement(1, 2, lambda v: views.append(iter(v)))
    return {
        "ExprArgsIterator": iter((a + b).args()),
        "VectorIterator": iter(Vector(2, a)),
        "MatrixIterator": iter(ondrex.Matrix(1, 1, a)),
        "SymbolsSetIterator": iter(s),
        "SymbolsHistIterator": iter(h),
        "SetReadOnlyIterator": views[0],
    }


REFUSALS = [(f"pickle{p}", lambda it, p=p: pickle.dumps(it, p)) for p in range(6)] + [
    ("copy", copy.copy), ("deepcopy", copy.deepcopy), ("reduce", lambda it: it.__reduce__()),
    ("reduce_ex", lambda it: it.__reduce_ex__(2))]


@pytest.mark.parametrize("refuse", [r for _, r in REFUSALS], ids=[n for n, _ in REFUSALS])
def test_iterators_refuse_pickling_and_copying(refuse):
    for name, it in every_iterator().items():
        with pytest.raises(TypeError, match=f"^cannot pickle '{name}' object$"):
            refuse(it)
        assert next(it) is not None         # still usable afterwards


def test_iterator_types_are_named_not_registered_and_not_constructible():
    its = every_iterator()
    for name, it in its.items():
        cls = type(it)
        assert cls.__name__ == name and cls.__module__ == "ondrex"
        assert not hasattr(ondrex, name) and iter(it) is it
        with pytest.raises(TypeError, match=": No constructor defined!$"):
            cls()


if __name__ == "__main__":
    # The tests that need no parameters, without pytest: for a run under valgrind.
    for name, f in list(globals().items()):
        if name.startswith("test_") and f.__code__.co_argcount == 0:
            f()
    print("iterator tests passed")
