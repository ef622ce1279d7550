"""The full normal form (anf) and the queries that read it: degree, monomial_count, monomials,
monomial_masks; the names and symbols of expressions; the Vector overloads of or_to_esf."""

import pytest
from hypothesis import given, settings

import ondrex
from expr_trees import anf as oracle_anf, anf_expr, build, examples, trees
from ondrex import Vector, anf, esf, imm, or_to_esf, or_to_esf_inplace, simplify, symbol

a, b, c, d = (symbol(f"nf_{n}") for n in "abcd")


def test_anf_compares_functions_where_simplify_does_not():
    lhs, rhs = (a | b) + a * b, a + b
    # simplify keeps the Or node, so the same function compares unequal.
    assert simplify(lhs) != simplify(rhs)
    assert anf(lhs) == anf(rhs)
    assert repr(anf(lhs)) == "(nf_a + nf_b)"
    assert anf(esf(2, [a, b, c]) + (a | b | c)) == anf(a + b + c + a * b * c)
    assert anf(a | (b * c)) != anf(a | b)


@settings(max_examples=examples(300))
@given(trees())
def test_anf_is_the_canonical_form_of_the_function(t):
    # Equal to the oracle's normal form built from raw nodes, so equal exactly when the
    # monomials, hence the functions, are.
    e = build(t)
    before = repr(e)
    n = anf(e)
    assert n == anf_expr(oracle_anf(t))
    assert anf(n) == n and simplify(n) == n
    assert repr(e) == before


def test_anf_of_a_vector_and_the_vector_or_rewriting():
    v = Vector([a | b, esf(2, [a, b, c]), c])
    before = repr(v)
    assert list(anf(v)) == [anf(e) for e in v]
    assert list(or_to_esf(v)) == [or_to_esf(e) for e in v]
    assert repr(v) == before
    w = Vector(v)
    assert or_to_esf_inplace(w) is None
    assert w == or_to_esf(v)


def test_or_rewriting_in_place_keeps_element_references():
    v = Vector([a | b, c])
    first = v[0]
    or_to_esf_inplace(v)
    assert first == v[0] and not first.type() == ondrex.ExprType.or_


@pytest.mark.parametrize(
    "build_e,degree,monomials",
    [
        (lambda: imm(0), -1, []),
        (lambda: imm(1), 0, [()]),
        (lambda: a, 1, [(a,)]),
        (lambda: b * a, 2, [(a, b)]),
        (lambda: a + imm(1), 1, [(a,), ()]),
        (lambda: a * b * c + a * d + b + imm(1), 3, [(a, d), (a, b, c), (b,), ()]),
    ],
    ids=["zero", "one", "symbol", "product", "affine", "mixed"],
)
def test_reading_a_normal_form(build_e, degree, monomials):
    e = anf(build_e())
    assert e.degree() == degree
    assert e.monomial_count() == len(monomials)
    assert e.monomials() == monomials
    assert all(type(s) is ondrex.ExprSym for m in e.monomials() for s in m)


def test_monomial_masks_follow_the_input_order():
    e = anf(a * b * c + a * d + b + imm(1))
    assert e.monomial_masks(Vector([a, b, c, d])) == [0b1001, 0b0111, 0b0010, 0]
    assert e.monomial_masks(Vector([d, c, b, a])) == [0b1001, 0b1110, 0b0100, 0]
    # Inputs that do not occur are fine; masks wider than 64 bits are plain ints.
    many = Vector([symbol(f"nf_w{i}") for i in range(100)] + [a, b])
    assert anf(a * b).monomial_masks(many) == [(1 << 100) | (1 << 101)]


def test_degree_per_output_bit_of_an_adder():
    n = 6
    x = [symbol(f"nf_x{i}") for i in range(n)]
    y = [symbol(f"nf_y{i}") for i in range(n)]
    carry, degrees = imm(0), []
    for i in range(n):
        degrees.append(anf(x[i] + y[i] + carry).degree())
        carry = x[i] * y[i] | carry * (x[i] | y[i])
    assert degrees == [1, 2, 3, 4, 5, 6]


def test_symbol_names_and_symbols():
    assert a.sym_name() == "nf_a"
    assert ondrex.arg_symbol(12).sym_name() == "_12"
    assert symbol("nf_ü").sym_name() == "nf_ü"
    e = (d | esf(2, [b, a, ondrex.arg_symbol(1)])) * a + imm(1)
    s = e.symbols()
    assert type(s) is ondrex.SymbolsSet
    assert list(s) == [a, b, d, ondrex.arg_symbol(1)]
    assert a in s and c not in s
    assert len(imm(1).symbols()) == 0
