import pytest

import ondrex
from ondrex import SymbolsHist, SymbolsSet, imm, simplify


@pytest.fixture
def anf(syms):
    """a*b + a*c + b*c*d + a + 1, in its canonical argument order."""
    a, b, c, d = (syms[n] for n in "abcd")
    return simplify(a * b + a * c + b * c * d + a + imm(1))


def counts(h):
    return {repr(v.sym()): v.count() for v in h}


@pytest.mark.parametrize(
    "args,expected",
    [
        ((), {"a": 2, "b": 2, "c": 2, "d": 1}),
        ((3,), {"b": 1, "c": 1, "d": 1}),
        ((2,), {"a": 2, "b": 1, "c": 1}),
        ((4,), {}),
        ((1,), {}),
    ],
)
def test_histogram(anf, args, expected):
    h = SymbolsHist()
    assert h.compute(anf, *args) is True
    assert counts(h) == expected
    assert len(h) == h.size() == len(expected)
    assert h.empty() == (not expected)


def test_histogram_iterates_in_index_order(syms):
    # z was created after a, so it has the larger index whatever the names say.
    z, a = syms["z"], syms["a"]
    h = SymbolsHist()
    h.compute(simplify(z * a + z * syms["b"]))
    assert [v.sym().sym_idx() for v in h] == sorted(v.sym().sym_idx() for v in h)
    assert [repr(v) for v in h] == ["<a: 1>", "<b: 1>", "<z: 2>"]
    assert type(next(iter(h)).sym()) is ondrex.ExprSym


@pytest.mark.parametrize(
    "build",
    [
        lambda s: s["a"] * s["b"],
        lambda s: s["a"],
        lambda s: (s["a"] | s["b"]) + s["c"],
        lambda s: s["a"] * (s["b"] + s["c"]) + s["d"],
        lambda s: s["a"] + imm(0) + ondrex.esf(2, [s["b"], s["c"], s["d"]]),
    ],
)
def test_non_anf_leaves_the_histogram_intact(anf, syms, build):
    h = SymbolsHist()
    h.compute(anf)
    before = counts(h)
    assert h.compute(build(syms)) is False
    assert h.compute(build(syms), 2) is False
    assert counts(h) == before


def test_compute_replaces_earlier_content(anf, syms):
    h = SymbolsHist()
    h.compute(anf)
    assert h.compute(syms["x"] * syms["y"] + syms["x"])
    assert counts(h) == {"x": 1, "y": 1}
    assert h.compute(syms["x"] + syms["y"])
    assert h.empty() and list(h) == []


def test_hist_value_repr_and_no_constructor(anf):
    h = SymbolsHist()
    h.compute(anf)
    first = next(iter(h))
    assert repr(first) == "<a: 2>"
    with pytest.raises(TypeError, match="No constructor defined!$"):
        ondrex.SymbolsHistValue()


@pytest.mark.parametrize(
    "method,element",
    [(SymbolsHist.__iter__, "SymbolsHistValue"), (SymbolsSet.__iter__, "ExprSym")],
)
def test_iterator_signatures_name_the_bound_element_class(method, element):
    signature = method.__doc__.split("\n")[0]
    assert signature.endswith("-> collections.abc.Iterator[ondrex.%s]" % element)


def test_iterators_keep_their_container_alive(anf, syms):
    h = SymbolsHist()
    h.compute(anf)
    it = iter(h)
    del h
    assert [repr(v) for v in it] == ["<a: 2>", "<b: 2>", "<c: 2>", "<d: 1>"]
    s = SymbolsSet()
    s.insert(syms["b"])
    it = iter(s)
    del s
    assert list(it) == [syms["b"]]


def test_set(syms):
    s = SymbolsSet()
    assert s.empty() and len(s) == 0
    assert s.insert(syms["z"]) is True
    assert s.insert(syms["a"]) is True
    assert s.insert(syms["z"]) is False
    assert s.insert(ondrex.arg_symbol(2)) is True
    assert s.size() == len(s) == 3
    items = list(s)
    assert items == [syms["a"], syms["z"], ondrex.arg_symbol(2)]
    assert all(type(x) is ondrex.ExprSym for x in items)
    assert s.has(syms["a"]) and syms["z"] in s
    assert not s.has(syms["b"]) and syms["b"] not in s
    assert repr(items[-1]) == "_2"


@pytest.mark.parametrize("method", ["insert", "has", "__contains__"])
@pytest.mark.parametrize(
    "build,kind",
    [
        (lambda s: s["a"] + s["b"], "Add"),
        (lambda s: imm(0), "Imm"),
        (lambda s: s["a"] * s["b"], "Mul"),
    ],
)
def test_set_rejects_non_symbols(syms, method, build, kind):
    s = SymbolsSet()
    s.insert(syms["a"])
    with pytest.raises(RuntimeError, match="expected 'Sym', got '%s'" % kind):
        getattr(s, method)(build(syms))
    assert list(s) == [syms["a"]]
