"""Truth tables and lookup tables: truth_table, truth_table_bytes, anf_from_truth_table,
lookup_table and anf_from_lookup_table, judged against a row-by-row evaluation through the
public accessors and a plain-Python Moebius transform."""

import random

import pytest
from hypothesis import given, settings

import ondrex
from boolean_eval import evaluate
from expr_trees import NVARS, POINTS, POOL, anf, anf_expr, build, examples, table, trees
from ondrex import Vector, anf_from_truth_table, esf, imm, symbol, truth_table

X = [symbol(f"tt_x{i}") for i in range(8)]

# The AES S-box, the usual lookup table of 256 bytes.
AES_SBOX = bytes.fromhex(
    "637c777bf26b6fc53001672bfed7ab76ca82c97dfa5947f0add4a2af9ca472c0"
    "b7fd9326363ff7cc34a5e5f171d8311504c723c31896059a071280e2eb27b275"
    "09832c1a1b6e5aa0523bd6b329e32f8453d100ed20fcb15b6acbbe394a4c58cf"
    "d0efaafb434d338545f9027f503c9fa851a3408f929d38f5bcb6da2110fff3d2"
    "cd0c13ec5f974417c4a77e3d645d197360814fdc222a908846eeb814de5e0bdb"
    "e0323a0a4906245cc2d3ac629195e479e7c8376d8dd54ea96c56f4ea657aae08"
    "ba78252e1ca6b4c6e8dd741f4bbd8b8a703eb5664803f60e613557b986c11d9e"
    "e1f8981169d98e949b1e87e9ce5528df8ca1890dbfe6426841992d0fb054bb16")


def rows_of(e, inputs):
    """The table of e as a list of 0/1, row r having input j = bit j of r."""
    idx = [s.sym_idx() for s in inputs]
    return [int(evaluate(e, {i: bool((r >> j) & 1) for j, i in enumerate(idx)}))
            for r in range(1 << len(idx))]


def int_of_rows(rows):
    return sum(b << r for r, b in enumerate(rows))


def moebius(values):
    """Plain-Python Moebius transform of a list of 0/1 of length 2**n (its own inverse)."""
    f = list(values)
    n = len(f).bit_length() - 1
    for j in range(n):
        for m in range(len(f)):
            if m >> j & 1:
                f[m] ^= f[m ^ (1 << j)]
    return f


def expressions():
    x0, x1, x2, x3, x4, x5, x6, x7 = X
    return [
        imm(0), imm(1), x0, x7, x0 * x1 + x2, (x0 | x6) * (x7 + x1), x0 | x1 | x2 | x7,
        esf(2, [x0, x1, x6, x7]), esf(3, [x0 + x1, x6, x7 * x2, imm(1)]),
        (x0 + x7) * (x6 + x5) * (x1 | x2) + imm(1),
        # More monomials than inputs: the sum goes through one transform in the core.
        ondrex.simplify((x0 + x1 + x2 + imm(1)) * (x3 + x4 + x5) * (x6 + x7 + x0)),
    ]


@pytest.mark.parametrize("e", expressions(), ids=repr)
def test_table_agrees_with_row_by_row_evaluation(e):
    inputs = Vector(X)
    want = int_of_rows(rows_of(e, X))
    assert truth_table(e, inputs) == want
    assert ondrex.truth_table_bytes(e, inputs) == want.to_bytes(32, "little")
    assert truth_table(ondrex.simplify(e), inputs) == want
    assert truth_table(ondrex.anf(e), inputs) == want
    assert anf_from_truth_table(want, inputs) == ondrex.anf(e)


@settings(max_examples=examples(200))
@given(trees())
def test_reading_the_table_back_is_the_normal_form(t):
    # Two independent routes to the normal form meet: the passes (anf) and the transform of
    # the table, which also agrees with the oracle's table and monomials.
    inputs = Vector(POOL)
    e = build(t)
    tt = truth_table(e, inputs)
    rows = {sum(p[j] << j for j in range(NVARS)): v for p, v in zip(POINTS, table(t))}
    assert tt == sum(v << r for r, v in rows.items())
    assert anf_from_truth_table(tt, inputs) == ondrex.anf(e) == anf_expr(anf(t))


@pytest.mark.parametrize("n", [0, 1, 2, 3, 6, 7])
def test_tables_round_trip_at_every_width(n):
    rng = random.Random(n)
    inputs = Vector(X[:n])
    nbytes = max(1, (1 << n) // 8)
    for _ in range(10):
        tt = rng.getrandbits(1 << n)
        e = anf_from_truth_table(tt, inputs)
        assert truth_table(e, inputs) == tt
        assert anf_from_truth_table(tt.to_bytes(nbytes, "little"), inputs) == e
        # The monomials of the normal form are the coefficients the transform gives.
        coefficients = moebius([(tt >> r) & 1 for r in range(1 << n)])
        assert sorted(e.monomial_masks(inputs)) == [m for m, c in enumerate(coefficients) if c]


def test_input_order_decides_the_rows():
    x, y = X[0], X[1]
    assert truth_table(x, Vector([x, y])) == 0b1010
    assert truth_table(x, Vector([y, x])) == 0b1100
    assert truth_table(x * y + y, Vector([x, y])) == 0b0100
    # The normal form does not depend on the order the table was read in.
    assert anf_from_truth_table(0b0100, Vector([x, y])) == anf_from_truth_table(
        0b0010, Vector([y, x]))


def test_tables_of_small_functions():
    none = Vector(0)
    assert truth_table(imm(1), none) == 1
    assert ondrex.truth_table_bytes(imm(1), none) == b"\x01"
    assert anf_from_truth_table(0, none) == imm(0)
    assert anf_from_truth_table(b"\x01", none) == imm(1)
    assert repr(anf_from_truth_table(0b0110, Vector(X[:2]))) == "(tt_x0 + tt_x1)"
    assert repr(anf_from_truth_table(0b1000, Vector(X[:2]))) == "(tt_x0 * tt_x1)"
    assert repr(anf_from_truth_table(0b1110, Vector(X[:2]))) == "((tt_x0 * tt_x1) + tt_x0 + tt_x1)"
    assert repr(anf_from_truth_table(0b0111, Vector(X[:2]))) == "((tt_x0 * tt_x1) + 1)"


def test_vector_overloads_give_one_table_per_element():
    v = Vector([X[0] * X[1], X[2] | X[0], imm(1)])
    inputs = Vector(X[:3])
    assert truth_table(v, inputs) == [truth_table(e, inputs) for e in v]
    assert ondrex.truth_table_bytes(v, inputs) == [ondrex.truth_table_bytes(e, inputs) for e in v]
    assert truth_table(Vector(0), inputs) == []


def test_lookup_table_round_trip():
    rng = random.Random(5)
    inputs = Vector(X[:5])
    sbox = [rng.randrange(1 << 7) for _ in range(32)]
    anfs = ondrex.anf_from_lookup_table(sbox, inputs, 7)
    assert len(anfs) == 7
    assert ondrex.lookup_table(anfs, inputs) == sbox
    for i, e in enumerate(anfs):
        assert truth_table(e, inputs) == int_of_rows([(v >> i) & 1 for v in sbox])
    # Output bits above the entries' width are the zero function.
    assert list(ondrex.anf_from_lookup_table(sbox, inputs, 9))[7:] == [imm(0), imm(0)]
    assert len(ondrex.anf_from_lookup_table([0, 0], Vector(X[:1]), 0)) == 0


def test_aes_sbox_normal_form():
    inputs = Vector(X)
    anfs = ondrex.anf_from_lookup_table(list(AES_SBOX), inputs, 8)
    assert ondrex.lookup_table(anfs, inputs) == list(AES_SBOX)
    for i, e in enumerate(anfs):
        coefficients = moebius([(v >> i) & 1 for v in AES_SBOX])
        masks = [m for m, c in enumerate(coefficients) if c]
        assert e.monomial_count() == len(masks)
        assert sorted(e.monomial_masks(inputs)) == masks
        assert e.degree() == max(bin(m).count("1") for m in masks) == 7


@pytest.mark.parametrize("n", range(5))
def test_lookup_table_of_the_inputs_is_the_identity(n):
    inputs = Vector(X[:n])
    assert ondrex.lookup_table(inputs, inputs) == list(range(1 << n))
