import pytest

import ondrex
from ondrex import ExprType, ExprWithArgs, imm, simplify, simplify_inplace


def node(kind, *args):
    """A raw node: sorted arguments, duplicates kept, nothing simplified."""
    return ExprWithArgs(getattr(ExprType, kind), list(args))


# Each case: a raw tree built from the symbols, and the text of its simplified form.
RULES = [
    # idempotence and cancellation
    (lambda s: node("mul", s["x"], s["x"]), "x"),
    (lambda s: node("or_", s["x"], s["x"]), "x"),
    (lambda s: node("add", s["x"], s["x"]), "0"),
    (lambda s: node("add", s["x"], s["x"], s["x"]), "x"),
    (lambda s: node("add", s["x"], s["y"], s["x"], s["y"], s["z"]), "z"),
    # immediates
    (lambda s: node("add", s["x"], imm(1), imm(1)), "x"),
    (lambda s: node("add", s["x"], imm(0)), "x"),
    (lambda s: node("add", s["x"], imm(0), imm(0), imm(0)), "x"),
    (lambda s: node("add", s["x"], imm(1)), "(x + 1)"),
    (lambda s: node("mul", s["x"], imm(0)), "0"),
    (lambda s: node("mul", s["x"], imm(1)), "x"),
    (lambda s: node("mul", imm(1), imm(1)), "1"),
    (lambda s: node("or_", s["x"], imm(0)), "x"),
    (lambda s: node("or_", s["x"], s["y"], imm(1)), "1"),
    # flattening
    (lambda s: node("add", s["a"], node("add", s["b"], s["a"])), "b"),
    (lambda s: node("mul", s["c"], node("mul", s["b"], s["a"])), "(a * b * c)"),
    (lambda s: node("or_", s["c"], node("or_", s["b"], s["c"])), "(b | c)"),
    (lambda s: node("add", node("add", s["a"], s["b"]), node("add", s["b"], s["c"])), "(a + c)"),
    (lambda s: node("mul", node("mul", s["a"], s["b"]), node("mul", s["b"], s["c"])), "(a * b * c)"),
    # one-argument and empty nodes
    (lambda s: node("add", s["x"]), "x"),
    (lambda s: node("mul", node("or_", s["x"])), "x"),
    (lambda s: node("add"), "0"),
    (lambda s: node("mul"), "0"),
    (lambda s: node("or_"), "0"),
    (lambda s: node("add", node("mul"), s["x"]), "x"),
    # ESF immediates
    (lambda s: ondrex.esf(2, [s["x"], s["y"], imm(0)]), "(x * y)"),
    (lambda s: ondrex.esf(3, [s["x"], imm(0)]), "0"),
    (lambda s: ondrex.esf(3, [imm(0)]), "0"),
    (lambda s: ondrex.esf(2, [s["x"], s["y"], s["z"], imm(0)]), "ESF(2, x, y, z)"),
    (lambda s: ondrex.esf(2, [s["x"], s["y"], imm(1)]), "ESF(2, x, y, 1)"),
    (lambda s: ondrex.esf(3, [s["x"]]), "ESF(3, x)"),
    (lambda s: ondrex.esf(2, []), "0"),
    # expansion
    (lambda s: (s["a"] + s["b"]) * s["c"], "((a * c) + (b * c))"),
    (lambda s: (s["a"] + s["b"]) * s["a"], "((a * b) + a)"),
    (lambda s: node("mul", s["a"] + s["b"], s["a"] + s["b"]), "(a + b)"),
    (lambda s: node("mul", s["a"] + s["b"], s["a"] + s["b"] + imm(1)), "0"),
    (lambda s: node("mul", s["a"] + imm(1), s["b"] + imm(1)), "((a * b) + a + b + 1)"),
    (lambda s: node("mul", s["a"] + s["b"], s["c"] + s["d"], s["x"]),
     "((a * c * x) + (a * d * x) + (b * c * x) + (b * d * x))"),
    (lambda s: node("mul", (s["a"] + s["b"]) * s["c"], s["c"] + s["d"]),
     "((a * c) + (b * c) + (a * c * d) + (b * c * d))"),
    # products that cannot be distributed over their sum
    (lambda s: (s["a"] | s["b"]) * (s["c"] + s["d"]), "((a | b) * (c + d))"),
    (lambda s: node("mul", s["a"] | s["b"], s["c"] + s["d"], s["x"]),
     "((a | b) * ((c * x) + (d * x)))"),
    (lambda s: node("mul", s["a"] | s["b"], s["c"] | s["d"], s["e"] + s["f"]),
     "((a | b) * (c | d) * (e + f))"),
    (lambda s: node("mul", ondrex.esf(2, [s["a"], s["b"], s["c"]]), s["d"] + s["e"], s["x"]),
     "(ESF(2, a, b, c) * ((d * x) + (e * x)))"),
    (lambda s: node("mul", s["a"] | s["b"], s["c"] + s["d"], s["e"] + s["f"]),
     "((a | b) * ((c * e) + (c * f) + (d * e) + (d * f)))"),
]


@pytest.mark.parametrize("build,text", RULES)
def test_rules(syms, build, text):
    e = build(syms)
    before = repr(e)
    assert repr(simplify(e)) == text
    assert repr(e) == before


@pytest.mark.parametrize("build,text", RULES)
def test_simplified_form_is_a_fixed_point(syms, build, text):
    once = simplify(build(syms))
    assert simplify(once) == once


def test_inner_nodes_are_simplified_bottom_up(syms):
    a, b, c, x = syms["a"], syms["b"], syms["c"], syms["x"]
    # The inner product vanishes, which empties the middle sum, which kills the outer product.
    inner = node("add", node("mul", a, imm(0)), node("add", b, b))
    e = node("or_", node("mul", inner, c), x)
    assert repr(simplify(e)) == "x"


def test_leaves_are_returned_unchanged(syms):
    for leaf in (syms["x"], imm(0), imm(1), ondrex.arg_symbol(3)):
        assert simplify(leaf) == leaf
        assert simplify_inplace(leaf) is leaf


def test_inplace_returns_the_argument_object(syms):
    x, y = syms["x"], syms["y"]
    e = node("mul", x + y, x)
    r = simplify_inplace(e)
    assert r is e
    assert repr(e) == "((x * y) + x)"
    # An argument reached through args() is simplified where it lives.
    outer = node("or_", node("add", x, x, y), syms["z"])
    inner = outer.args()[0]
    assert simplify_inplace(inner) is inner
    assert repr(outer) == "(y | z)"


def test_simplify_copies(syms):
    x = syms["x"]
    e = node("add", x, x)
    r = simplify(e)
    assert r is not e and repr(r) == "0" and repr(e) == "(x + x)"
    assert simplify(x) is not x


def test_wrong_argument_type():
    with pytest.raises(TypeError):
        simplify(1)
    with pytest.raises(TypeError):
        simplify_inplace("x")


def test_large_product_cancels_to_the_odd_products(syms):
    # (sum of n symbols)^2 = the sum of the symbols: all cross products cancel in pairs.
    vs = [ondrex.symbol("p%d" % i) for i in range(40)]
    s = vs[0]
    for v in vs[1:]:
        s = s + v
    assert simplify(node("mul", s, s.copy())) == s
    # (s + 1) * s = 0 over GF(2) since x*x = x.
    assert repr(simplify(node("mul", s + imm(1), s))) == "0"
