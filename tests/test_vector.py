import gc

import pytest
from hypothesis import given
from hypothesis import strategies as st

import ondrex
from helpers import vec
from interface import MEMBERS
from ondrex import Vector, imm


def bits(v):
    return [e.imm_value() for e in v]


@pytest.fixture
def abcd(syms):
    return vec(syms["a"], syms["b"], syms["c"], syms["d"])


def test_class_surface():
    assert Vector.__doc__ == "Represents a vector of Expr objects"
    assert Vector.__hash__ is None
    names = [n for n in Vector.__dict__ if not n.startswith("_pybind11") and n != "__doc__"]
    expected = MEMBERS["Vector"]
    assert [n for n in names if n in expected] == expected


def test_text_forms(syms):
    x, y = syms["x"], syms["y"]
    assert repr(Vector(3)) == "Vec([\n0,\n0,\n0\n])"
    assert repr(vec(x, x + y, imm(1))) == "Vec([\nx,\n(x + y),\n1\n])"
    assert repr(vec(x)) == "Vec([\nx\n])"


@pytest.mark.parametrize(
    "setter, value, nbits, elements",
    [
        ("set_int_le", 1, 4, [0, 0, 0, 1]),
        ("set_int_be", 1, 4, [1, 0, 0, 0]),
        ("set_int_be", 0x1F, 3, [1, 1, 1]),
        ("set_int_le", 0x1F, 3, [1, 1, 1]),
        ("set_int_le", 6, 3, [1, 1, 0]),
        ("set_int_be", 6, 3, [0, 1, 1]),
        ("set_int_be", 5, 0, []),
        ("set_int_be", 0, 2, [0, 0]),
    ],
)
def test_set_int_layouts(setter, value, nbits, elements):
    v = Vector(7)
    getattr(v, setter)(value, nbits)
    assert bits(v) == [bool(b) for b in elements]


@given(st.integers(0, 2**64 - 1), st.integers(0, 64))
def test_int_round_trip(value, nbits):
    v = Vector(0)
    v.set_int_le(value, nbits)
    assert bits(v) == [bool(value >> (nbits - 1 - i) & 1) for i in range(nbits)]
    assert v.get_int_le() == value % 2**nbits
    v.set_int_be(value, nbits)
    assert bits(v) == [bool(value >> i & 1) for i in range(nbits)]
    assert v.get_int_be() == value % 2**nbits


def test_setting_zero_resets_every_element(syms):
    v = Vector(5, syms["x"])
    v.set_int_be(0, 3)
    assert bits(v) == [False] * 3 and v.get_int_be() == 0
    v = Vector(2, syms["x"])
    v.set_int_le(0, 4)
    assert bits(v) == [False] * 4 and v.get_int_le() == 0


def test_wide_vectors(syms):
    v = Vector(0)
    v.set_int_le(5, 70)
    assert len(v) == 70 and bits(v)[-3:] == [True, False, True] and not any(bits(v)[:67])
    assert v.get_int_le() == 0
    ones = Vector(65, imm(1))
    assert ones.get_int_be() == ones.get_int_le() == 2**64 - 1
    ones[65 - 1] = syms["x"]
    assert ones.get_int_be() == 2**64 - 1  # element 64 is never read


@pytest.mark.parametrize("getter", ["get_int_be", "get_int_le"])
def test_get_int_refuses_symbols(syms, getter):
    v = vec(imm(1), syms["x"])
    with pytest.raises(RuntimeError) as info:
        getattr(v, getter)()
    assert str(info.value) == "Expected a vector with only immediates"
    assert not isinstance(info.value, ondrex.VectorNotImmediate)
    assert getattr(Vector(0), getter)() == 0


def test_vector_not_immediate_is_a_plain_class():
    assert not issubclass(ondrex.VectorNotImmediate, BaseException)
    with pytest.raises(TypeError, match=": No constructor defined!$"):
        ondrex.VectorNotImmediate()


@pytest.mark.parametrize(
    "op, k, expected",
    [
        ("<<", 1, "bcd0"),
        (">>", 1, "0abc"),
        (">>", 4, "0000"),
        ("<<", 9, "0000"),
        ("<<", 0, "abcd"),
        (">>", 3, "000a"),
        ("<<", 3, "d000"),
    ],
)
def test_shifts(syms, abcd, op, k, expected):
    before = Vector(abcd)
    shifted = abcd << k if op == "<<" else abcd >> k
    assert shifted == vec(*[imm(0) if c == "0" else syms[c] for c in expected])
    assert abcd == before


def test_shifts_are_plain_methods(abcd):
    with pytest.raises(TypeError):
        abcd << "1"
    with pytest.raises(TypeError):
        abcd >> -1


@pytest.mark.parametrize(
    "op, expr_op",
    [
        (lambda a, b: a + b, lambda x, y: x + y),
        (lambda a, b: a * b, lambda x, y: x * y),
        (lambda a, b: a | b, lambda x, y: x | y),
    ],
)
def test_element_wise(syms, op, expr_op):
    x, y, z = syms["x"], syms["y"], syms["z"]
    a = vec(x, y, imm(1), x * y)
    b = vec(y, y, z, imm(0))
    assert list(op(a, b)) == [expr_op(p, q) for p, q in zip(a, b)]


@pytest.mark.parametrize(
    "op", [lambda a, b: a + b, lambda a, b: a * b, lambda a, b: a | b]
)
def test_element_wise_size_mismatch(op):
    with pytest.raises(RuntimeError, match="^size mismatch$"):
        op(Vector(3), Vector(4))


@pytest.mark.parametrize("name", ["__iadd__", "__imul__", "__ior__"])
def test_in_place_size_mismatch_changes_nothing(syms, name):
    v = Vector(3, syms["x"])
    with pytest.raises(RuntimeError, match="^size mismatch$"):
        getattr(v, name)(Vector(4, syms["y"]))
    assert v == Vector(3, syms["x"])


def test_operand_is_itself(syms):
    v = vec(syms["x"], syms["y"] + syms["z"])
    assert v + v == Vector(2)
    assert v * v == v and v | v == v
    w = v
    w *= w
    w |= w
    assert w is v and v == vec(syms["x"], syms["y"] + syms["z"])
    w += w
    assert w is v and v == Vector(2)


def test_in_place_operators_return_the_operand(syms):
    x, y = syms["x"], syms["y"]
    v = vec(x, y)
    keep = v
    v += vec(y, y)
    assert v is keep and v == vec(x + y, imm(0))
    v *= vec(x, x)
    assert v is keep and v == vec((x + y) * x, imm(0))
    v |= vec(y, y)
    assert v is keep
    v *= y
    assert v is keep


def test_product_by_expression(syms):
    x, y = syms["x"], syms["y"]
    v = vec(x, imm(1), y)
    assert list(v * y) == [x * y, y, y]
    with pytest.raises(TypeError):
        y * v
    with pytest.raises(TypeError):
        v + 1
    with pytest.raises(TypeError):
        v * 1


@pytest.mark.parametrize(
    "s",
    [slice(1, 5, 2), slice(None, None, -1), slice(None, None, -2), slice(3, 1), slice(-2, None),
     slice(-100, 100), slice(100, None), slice(None, -100, -1), slice(4, 0, -3), slice(None)],
)
def test_slices_follow_python(syms, s):
    names = "abcde"
    v = vec(*[syms[c] for c in names])
    got = v[s]
    assert isinstance(got, Vector)
    assert [e.name() for e in got] == ["Sym"] * len(names[s])
    assert got == vec(*[syms[c] for c in names[s]])


def test_slice_step_zero(abcd):
    with pytest.raises(ValueError):
        abcd[::0]


def test_slices_copy(syms, abcd):
    part = abcd[0:2]
    part[0] = syms["z"]
    assert abcd[0] == syms["a"]


def test_references_share_and_keep_alive(syms):
    x, y = syms["x"], syms["y"]
    v = vec(x, imm(0))
    e = v.at(0)
    e += y
    assert v[0] == x + y
    g = v[1]
    g |= x
    assert v[1] == x
    for item in v:
        item *= y
    assert v == vec((x + y) * y, x * y)
    del v
    gc.collect()
    assert e == (x + y) * y


def test_iterator_keeps_vector_alive(syms):
    it = iter(Vector(2, syms["x"]))
    gc.collect()
    assert list(it) == [syms["x"], syms["x"]]


def test_setitem_stores_a_copy(syms):
    e = syms["x"] + syms["y"]
    v = Vector(1)
    v[0] = e
    e += syms["z"]
    assert v[0] == syms["x"] + syms["y"]


@pytest.mark.parametrize(
    "call",
    [lambda v: v.at(3), lambda v: v[3], lambda v: v.__setitem__(3, imm(1))],
)
def test_index_out_of_range(call):
    with pytest.raises(IndexError):
        call(Vector(3))


@pytest.mark.parametrize(
    "call",
    [lambda v: v.at(-1), lambda v: v[-1], lambda v: v.__setitem__(-1, imm(1)),
     lambda v: v.set_int_le(1, 70000), lambda v: v.set_int_be(2**64, 3),
     lambda v: v.set_int_be(-1, 3), lambda v: Vector(-1), lambda v: v == 5, lambda v: hash(v)],
)
def test_arguments_out_of_range_match_no_overload(call):
    with pytest.raises(TypeError):
        call(Vector(3))


@pytest.mark.parametrize("n", [2**62, 2**64 - 1])
def test_huge_vector_is_an_allocation_failure(n):
    with pytest.raises(MemoryError):
        Vector(n)


def test_construction_and_equality(syms):
    v = Vector(3, syms["x"])
    assert len(v) == v.size() == 3 and all(e == syms["x"] for e in v)
    w = Vector(v)
    assert v == w and not v != w
    w[2] = imm(1)
    assert v != w and v[2] == syms["x"]
    assert Vector(2) != Vector(3)
    v.set_null()
    assert v == Vector(3)
    assert syms["x"] in Vector(2, syms["x"]) and syms["y"] not in Vector(2, syms["x"])
