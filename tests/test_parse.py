"""ondrex.parse: reads back what repr writes and the infix forms users type, with the result the
operators give, and refuses anything else with a ValueError naming the position."""

import pytest
from hypothesis import given, settings

import ondrex
from expr_trees import build, examples, trees
from ondrex import ExprType, ExprWithArgs, arg_symbol, esf, imm, parse, simplify, symbol

a, b, c, d = (symbol(n) for n in ("ps_a", "ps_b", "ps_c", "ps_d"))
one, zero = imm(1), imm(0)


@settings(max_examples=examples(300))
@given(trees())
def test_canonical_expressions_read_back_from_their_repr(t):
    e = simplify(build(t))
    back = parse(repr(e))
    assert back == e and repr(back) == repr(e)


@settings(max_examples=examples(200))
@given(trees(ops=("add", "mul", "or")))
def test_the_text_of_an_operator_built_tree_reads_back_as_the_operators_build_it(t):
    e = build(("add", False, [t, ("sym", 0)]))
    assert parse(repr(e)) == parse(repr(parse(repr(e))))


INFIX = [
    ("ps_a + ps_b * ps_c", a + b * c),
    ("ps_a ^ ps_b & ps_c", a + b * c),
    ("ps_a | ps_b + ps_c", a | (b + c)),
    ("ps_a * ps_b | ps_c * ps_d", (a * b) | (c * d)),
    ("~ps_a * ps_b", (a + one) * b),
    ("~(ps_a * ps_b)", a * b + one),
    ("~~ps_a", (a + one) + one),
    ("~0", one),
    ("(ps_a | ps_b) * ps_c", (a | b) * c),
    ("ps_a + ps_a", zero),
    ("ps_a + ps_b + ps_a", b),
    ("ps_a * ps_a * ps_b * 1", a * b),
    ("ps_a * 0 * ps_b", zero),
    ("ps_a | 1 | ps_b", one),
    ("1 + 1 + 1", one),
    ("(ps_a + ps_b) + (ps_a + ps_b)", zero),
    ("(ps_a + ps_b) * (ps_c + ps_d)", (a + b) * (c + d)),
    ("(ps_a * ps_b) * (ps_b * ps_c)", a * b * c),
    ("ps_d + ps_c * ps_b + ps_a", d + c * b + a),
    ("ESF(2, ps_a, ps_b, ps_c)", esf(2, [a, b, c])),
    ("ESF(2, ps_c, ps_b, ps_a) + ps_d", esf(2, [a, b, c]) + d),
    ("ESF(1, ps_a, ps_b)", esf(1, [a, b])),
    ("ESF(0, (empty))", esf(0, [])),
    # An empty sum as the first of several arguments prints as "(empty)" as well.
    ("ESF(2, (empty), ps_a, ps_b)", esf(2, [ExprWithArgs(ExprType.add, []), a, b])),
    ("ESF(3, (ps_a + ps_b), ps_c)", esf(3, [a + b, c])),
    ("ESF(1, ps_a, ps_a) + ps_b", esf(1, [a, a]) + b),
    ("ESF(2, ps_a, ps_a) * ps_b", esf(2, [a, a]) * b),
    ("(empty)", ExprWithArgs(ExprType.add, [])),
    ("(empty) + ps_a", ExprWithArgs(ExprType.add, []) + a),
    ("_3 * _12", arg_symbol(3) * arg_symbol(12)),
    ("Sym(ps_a) + Sym(_2)", a + arg_symbol(2)),
    ("\tps_a\n+\r\nps_b  ", a + b),
    ("((((ps_a))))", a),
]


@pytest.mark.parametrize("text,expected", INFIX, ids=[t for t, _ in INFIX])
def test_infix_text_gives_what_the_operators_give(text, expected):
    got = parse(text)
    assert got == expected and repr(got) == repr(expected)


@pytest.mark.parametrize("name", ["x.1", "a[3]", "état", "s_1'", "$k", "2x", "ESF", "Sym", "_a"])
def test_names_that_round_trip(name):
    e = symbol(name) * a + one
    assert parse(repr(e)) == e


ERRORS = [
    ("", 0, "expected an expression, got the end of the text"),
    ("   ", 3, "expected an expression, got the end of the text"),
    ("ps_a +", 6, "expected an expression, got the end of the text"),
    ("ps_a + * ps_b", 7, "expected an expression, got '\\*'"),
    ("ps_a ps_b", 5, "expected an operator, got 'ps_b' \\(a symbol name cannot hold white space"),
    ("f(ps_a)", 1, "expected an operator, got '\\(' \\(a symbol name"),
    ("(ps_a + ps_b", 12, "expected '\\)' to close the parenthesis at position 0"),
    ("ps_a)", 4, "unexpected '\\)'"),
    ("ps_a, ps_b", 4, "unexpected ','"),
    ("ps_a + 2", 7, "'2' is not an expression \\(the constants are 0 and 1\\)"),
    ("ESF(256, ps_a)", 4, "expected an ESF degree from 0 to 255, got '256'"),
    ("ESF(x, ps_a)", 4, "expected an ESF degree"),
    ("ESF(2 ps_a)", 6, "expected ',' after the ESF degree"),
    ("ESF(2, ps_a", 11, "expected '\\)' to close the ESF at position 0"),
    ("Sym()", 4, "expected a symbol name, got '\\)'"),
    ("Sym(1)", 4, "expected a symbol name, got '1'"),
    ("_268435456", 0, "argument symbol number out of range"),
    ("état + + x", 7, "expected an expression"),
    ("ps_a\0b", 4, "a NUL character"),
]


@pytest.mark.parametrize("text,position,message", ERRORS, ids=[t for t, _, _ in ERRORS])
def test_syntax_errors_name_the_position(text, position, message):
    with pytest.raises(ValueError, match=f"^parse error at position {position}: {message}"):
        parse(text)


def test_names_enter_the_symbol_table_only_when_the_text_is_read():
    before = symbol("ps_probe_1").sym_idx()
    with pytest.raises(ValueError):
        parse("ps_never_entered * ps_a +")
    assert symbol("ps_probe_2").sym_idx() == before + 1
    # New names get their indices in order of first appearance, as typing them would.
    e = parse("ps_new_z * ps_new_y")
    assert symbol("ps_new_y").sym_idx() == symbol("ps_new_z").sym_idx() + 1
    assert e == symbol("ps_new_z") * symbol("ps_new_y")


def test_nesting_is_bounded():
    assert parse("(" * 5000 + "ps_a" + ")" * 5000) == a
    assert parse("~" * 100001 + "ps_a") == a + one
    with pytest.raises(ValueError, match="nesting deeper than 10000 levels"):
        parse("(" * 10002 + "ps_a" + ")" * 10002)


def test_a_large_sum_reads_back_in_any_order():
    syms = [symbol("ps_s%d" % i) for i in range(40)]
    e = simplify((sum(syms[:20], zero) + one) * (sum(syms[20:], zero) + syms[0]))
    text = repr(e)
    assert parse(text) == e
    # The same monomials in reverse order, with '^' and '&': the same value.
    terms = [repr(x).strip("()").replace(" * ", " & ") for x in e.args()]
    assert parse(" ^ ".join(reversed(terms))) == e
