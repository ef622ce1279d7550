"""Words of any width: Vector from a list of expressions, Vector.from_int and Vector.to_int,
beside the 64-bit conversions, which keep their behaviour."""

import random

import pytest

import ondrex
from ondrex import Vector, imm, simplify, symbol


def test_vector_from_a_list_copies_the_elements():
    x, y = symbol("ww_x"), symbol("ww_y")
    e = x + y
    v = Vector([e, x, imm(1)])
    assert list(v) == [x + y, x, imm(1)]
    e += x
    assert v[0] == x + y
    assert len(Vector([])) == 0


@pytest.mark.parametrize("nbits", [0, 1, 7, 63, 64, 65, 100, 1000])
def test_from_int_and_to_int_round_trip(nbits):
    rng = random.Random(nbits)
    for value in {0, (1 << nbits) - 1, rng.getrandbits(nbits) if nbits else 0}:
        v = Vector.from_int(value, nbits)
        assert len(v) == nbits
        assert [int(e.imm_value()) for e in v] == [(value >> i) & 1 for i in range(nbits)]
        assert v.to_int() == value


@pytest.mark.parametrize("value,nbits", [(0b1011, 4), (1, 1), (2**64 - 1, 64), (5, 70)])
def test_bit_order_is_that_of_set_int_be(value, nbits):
    w = Vector(0)
    w.set_int_be(value, nbits)
    assert Vector.from_int(value, nbits) == w
    if nbits <= 64:
        assert Vector.from_int(value, nbits).get_int_be() == value


def test_the_64_bit_methods_keep_their_behaviour():
    with pytest.raises(TypeError):
        Vector(100).set_int_be(1 << 99, 100)
    v = Vector.from_int((1 << 99) | 1, 100)
    assert v.get_int_be() == 1  # the first 64 elements only
    assert v.to_int() == (1 << 99) | 1


def test_shifts_on_wide_words():
    # In element order (element 0 = bit 0): >> moves elements toward the end, so it is the
    # integer left shift; << is the right shift.
    value, n = (1 << 120) | 0b1011, 128
    v = Vector.from_int(value, n)
    assert (v >> 3).to_int() == (value << 3) % (1 << n)
    assert (v << 3).to_int() == value >> 3


def test_symbolic_words_read_back_once_constant():
    n = 80
    x = Vector([symbol(f"ww_x{i}") for i in range(n)])
    a = random.Random(1).getrandbits(n)
    total = simplify(ondrex.subs_exprs(x + Vector.from_int(a, n), list(x),
                                       list(Vector.from_int(a, n))))
    assert total.to_int() == 0
    with pytest.raises(RuntimeError, match="^Expected a vector with only immediates$"):
        x.to_int()
