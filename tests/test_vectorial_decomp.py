import functools
import operator

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import ondrex
from boolean_eval import truth_tables
from helpers import vec

decomp = ondrex.analyses.vectorial_decomp
INVALID = "incompatible sizes of M and V: expected M a square matrix of the size of V."


def rows(m):
    return [[m.at(i, j).imm_value() for j in range(m.ncols())] for i in range(m.nlines())]


def texts(v):
    return [repr(e) for e in v]


def assert_round_trip(inputs, outputs):
    app = decomp(inputs, outputs)
    back = app(inputs)
    assert back.size() == outputs.size()
    assert truth_tables(list(back)) == truth_tables(list(outputs))
    return app


def test_reference_example(syms):
    x, y, z = syms["x"], syms["y"], syms["z"]
    inputs = vec(x, y, z)
    outputs = vec(x * y + x * z + x + ondrex.imm(1), y, x * y)
    app = assert_round_trip(inputs, outputs)
    assert rows(app.matrix()) == [[1, 0, 0], [0, 1, 0], [0, 0, 0]]
    assert texts(app.cst()) == ["1", "0", "0"]
    assert texts(app.nl().vector()) == ["((_0 * _1) + (_0 * _2))", "0", "(_0 * _1)"]
    assert all(e.is_imm() for e in app.matrix())


@pytest.mark.parametrize("bit", [0, 1])
def test_constant_output(syms, bit):
    app = assert_round_trip(vec(syms["x"], syms["y"]), vec(ondrex.imm(bit)))
    assert rows(app.matrix()) == [[0, 0]]
    assert texts(app.cst()) == [str(bit)]
    assert texts(app.nl().vector()) == ["0"]


def test_linear_symbol_outside_the_inputs_raises(syms):
    w, x, y = syms["w"], syms["x"], syms["y"]
    with pytest.raises(RuntimeError) as e:
        decomp(vec(x, y), vec(w + x * y))
    assert str(e.value) == "Unknown symbol w."


def test_free_symbol_inside_a_product_is_kept(syms):
    w, x, y = syms["w"], syms["x"], syms["y"]
    app = assert_round_trip(vec(x, y), vec(w * x, w * x + y))
    assert texts(app.nl().vector()) == ["(w * _0)", "(w * _0)"]
    assert rows(app.matrix()) == [[0, 0], [0, 1]]


def test_first_unknown_symbol_in_output_then_argument_order(syms):
    a, b, c, x = syms["a"], syms["b"], syms["c"], syms["x"]
    with pytest.raises(RuntimeError, match=r"^Unknown symbol a\.$"):
        decomp(vec(x), vec(x * b, a + c, b))
    # An unknown linear symbol is met before the missing inputs are.
    with pytest.raises(RuntimeError, match=r"^Unknown symbol b\.$"):
        decomp(ondrex.Vector(0), vec(b + c))


def test_no_inputs_no_outputs():
    app = decomp(ondrex.Vector(0), ondrex.Vector(0))
    assert (app.matrix().nlines(), app.matrix().ncols()) == (0, 0)
    assert app.cst().size() == 0 and app.nl().vector().size() == 0


def test_outputs_without_inputs_raise_invalid_sizes():
    with pytest.raises(RuntimeError) as e:
        decomp(ondrex.Vector(0), vec(ondrex.imm(1), ondrex.imm(0)))
    assert str(e.value) == INVALID


def test_repeated_input_uses_its_first_column(syms):
    x, y = syms["x"], syms["y"]
    app = assert_round_trip(vec(x, x, y), vec(x, x * y + x + y))
    assert rows(app.matrix()) == [[1, 0, 0], [1, 0, 1]]
    assert texts(app.nl().vector()) == ["0", "(_0 * _2)"]


def test_non_symbol_inputs_are_replaced_in_the_non_linear_part(syms):
    x, y, z = syms["x"], syms["y"], syms["z"]
    app = assert_round_trip(vec(x * y, z), vec(x * y + z))
    assert texts(app.nl().vector()) == ["_0"]
    assert rows(app.matrix()) == [[0, 1]]


@pytest.mark.parametrize("top", ["or", "or_in_sum", "esf", "esf_in_sum"])
def test_disjunctions_and_esfs(syms, top):
    x, y, z = syms["x"], syms["y"], syms["z"]
    node = ondrex.esf(2, [x, y, z]) if top.startswith("esf") else (x | y) | z
    out = node + x + ondrex.imm(1) if top.endswith("in_sum") else node
    app = assert_round_trip(vec(x, y, z), vec(out))
    if top.endswith("in_sum"):
        assert rows(app.matrix()) == [[1, 0, 0]] and texts(app.cst()) == ["1"]
    else:
        # A top-level disjunction or ESF is wholly non-linear.
        assert rows(app.matrix()) == [[0, 0, 0]] and texts(app.cst()) == ["0"]
        assert app.nl().vector().at(0).type() == node.type()


@pytest.mark.parametrize("args", [(ondrex.Vector(1),), (ondrex.Vector(1), [ondrex.imm(1)])])
def test_wrong_arguments(args):
    with pytest.raises(TypeError):
        decomp(*args)


NAMES = ["a", "b", "c", "d", "e", "f"]


@st.composite
def anf_functions(draw):
    """Inputs (possibly repeated) and outputs that are sums of products over them, some
    products holding the free symbol w, some outputs a bare product, disjunction or ESF."""
    syms = [ondrex.symbol(n) for n in NAMES]
    w = ondrex.symbol("w")
    picks = draw(st.lists(st.integers(0, len(NAMES) - 1), min_size=1, max_size=5))
    inputs = [syms[i] for i in picks]
    pool = sorted(set(picks))
    outputs = []
    for _ in range(draw(st.integers(0, 4))):
        shape = draw(st.sampled_from(["sum", "sum", "sum", "product", "or", "esf"]))
        monos = draw(st.lists(st.lists(st.sampled_from(pool), min_size=1, max_size=3),
                              min_size=1, max_size=6))
        terms = []
        for m in monos:
            t = functools.reduce(operator.mul, (syms[i] for i in m))
            if len(set(m)) > 1 and draw(st.booleans()):
                t = t * w
            terms.append(t)
        if shape == "product":
            e = terms[0] * terms[-1]
        elif shape == "or":
            e = terms[0] | (terms[-1] + ondrex.imm(1))
        elif shape == "esf":
            # Degree 1 would build a raw sum that may repeat a term, which is no ANF.
            e = ondrex.esf(draw(st.integers(min(2, len(terms)), len(terms))), terms)
        else:
            e = functools.reduce(operator.add, terms)
            if draw(st.booleans()):
                e = e + ondrex.imm(1)
        outputs.append(e)
    return vec(*inputs), vec(*outputs)


@settings(max_examples=150, deadline=None)
@given(anf_functions())
def test_calling_the_decomposition_on_its_inputs_gives_the_outputs(fn):
    inputs, outputs = fn
    app = assert_round_trip(inputs, outputs)
    m = app.matrix()
    assert (m.nlines(), m.ncols()) == (outputs.size(), inputs.size())
    first = {}
    for j, s in enumerate(inputs):
        first.setdefault(s.sym_idx(), j)
    for i, out in enumerate(outputs):
        terms = list(out.args()) if out.is_add() else [out]
        lone = {first[t.sym_idx()] for t in terms if t.is_sym()}
        assert [j for j in range(m.ncols()) if m.at(i, j).imm_value()] == sorted(lone)
        last = terms[-1]
        assert app.cst().at(i).imm_value() == (last.is_imm() and last.imm_value())
