"""Expression model: kinds, order, equality, hash, membership, accessors and their errors."""

import pytest

import ondrex
from ondrex import ExprType, ExprWithArgs, imm

ARG_KINDS = "Bad expression type: expected an argument (ExprAdd, ExprMul, ExprOr or ExprESF), got '{}'"


def bad_type(expected, got):
    return f"Bad expression type: expected '{expected}', got '{got}'"


def test_expr_type_doc_and_names():
    # Its members and their order are checked with the registration order (interface.py).
    assert ExprType.__doc__.startswith("Enum of the various expression types")
    assert not hasattr(ondrex, "or_") and callable(ondrex.imm)


def test_kind_names(syms):
    a, b = syms["a"], syms["b"]
    cases = [(a | b, "Or", ExprType.or_), (ondrex.ExprWithArgs(ExprType.mul, [a, b]), "Mul", ExprType.mul),
             (a + b, "Add", ExprType.add), (a, "Sym", ExprType.sym), (imm(1), "Imm", ExprType.imm)]
    for e, name, kind in cases:
        assert e.name() == name
        assert e.type() == kind
        assert e.has_args() == (kind in (ExprType.or_, ExprType.mul, ExprType.add))


def test_order_across_kinds(syms):
    a, b, c = syms["a"], syms["b"], syms["c"]
    ordered = [a | b, a * b, a + b, a, b, imm(0), imm(1)]
    for lo, hi in zip(ordered, ordered[1:]):
        assert lo < hi and not hi < lo
    s3, s10 = ondrex.arg_symbol(3), ondrex.arg_symbol(10)
    assert s3 < s10
    # Fewer arguments first, whatever the arguments are.
    assert (b + c) < (a + b + c)
    assert not (a + b + c) < (b + c)
    assert sorted([imm(1), a + b, a, a | b, a * b, imm(0)]) == ordered[:1] + ordered[1:3] + [a, imm(0), imm(1)]


def test_equality_is_structural(syms):
    a, b = syms["a"], syms["b"]
    assert a + b == b + a
    assert ExprWithArgs(ExprType.add, [a, b]) == a + b
    assert (a + b) != (a * b)
    assert imm(0) != imm(1)
    with pytest.raises(TypeError):
        a == None  # noqa: E711 - comparisons with foreign types raise
    with pytest.raises(TypeError):
        a < 3


def test_hash_values(syms):
    assert hash(imm(1)) == 11 and hash(imm(0)) == 10
    s0 = ondrex.Expr.__hash__(ondrex.symbol("a"))
    assert s0 == syms["a"].sym_idx() | (1 << 34)
    assert ondrex.Expr.__hash__(ExprWithArgs(ExprType.add, [])) == 0
    a, b = syms["a"], syms["b"]
    # The node's own kind does not enter the hash.
    assert ondrex.Expr.__hash__(a + b) == ondrex.Expr.__hash__(a * b) == ondrex.Expr.__hash__(a | b)
    h = 0
    for x in (a + b).args():
        h = ((((h << 4) | int(x.type())) * 0x5555555555555555) + ondrex.Expr.__hash__(x)) % (1 << 64)
    assert ondrex.Expr.__hash__(a + b) == h
    assert {a + b: 1}[b + a] == 1


def test_contains(syms):
    x0, x1, x2, x3 = (ondrex.symbol(f"x{i}") for i in range(4))
    a = x0 + x1 + x2
    assert a.contains(x1)
    assert a.contains(x0 + x2)
    assert not a.contains(x0 + x3)
    assert not a.contains(x0 * x1)
    assert x1.contains(x1) and not x1.contains(x2)
    assert a.contains(ExprWithArgs(ExprType.add, []))
    assert not (x0 + x1).contains(a)
    assert not imm(1).contains(x0)


@pytest.mark.parametrize("method, expected", [
    ("args", None), ("sym_idx", "Sym"), ("imm_value", "Imm"), ("esf_degree", "SF")])
def test_wrong_kind_accessors(syms, method, expected):
    for e in (imm(1), syms["a"], syms["a"] + syms["b"]):
        ok = {"args": e.has_args(), "sym_idx": e.is_sym(), "imm_value": e.is_imm(), "esf_degree": False}[method]
        if ok:
            continue
        msg = ARG_KINDS.format(e.name()) if expected is None else bad_type(expected, e.name())
        with pytest.raises(RuntimeError) as err:
            getattr(e, method)()
        assert str(err.value) == msg


def test_copy_is_independent(syms):
    a, b, c = syms["a"], syms["b"], syms["c"]
    e = a + b
    f = e.copy()
    assert f == e and f is not e
    f += c
    assert repr(e) == "(a + b)" and repr(f) == "(a + b + c)"


def test_args_iteration_and_indexing(syms):
    a, b, c = syms["a"], syms["b"], syms["c"]
    e = c + a + b
    args = e.args()
    assert [repr(x) for x in args] == ["a", "b", "c"]
    assert len(args) == args.size() == args.len() == 3
    assert args[2] == c
    with pytest.raises(IndexError):
        args[3]
    with pytest.raises(TypeError):
        args[-1]


def test_references_share_and_keep_alive(syms):
    a, b, c = syms["a"], syms["b"], syms["c"]
    e = a + (b * c)
    first = e.args()[0]          # the product, a reference into e
    it = iter(e.args())
    del e
    first *= a
    assert repr(first) == "(a * b * c)"
    assert [repr(x) for x in it] == ["(a * b * c)", "a"]
    # Changes through an argument reference are seen by the owner.
    g = a + (b * c)
    g.args()[0].__imul__(a)
    assert repr(g) == "((a * b * c) + a)"


def test_imm_conversion():
    assert imm(5) == imm(1) and imm(-1) == imm(1) and imm(0).imm_value() is False
    with pytest.raises(TypeError):
        imm(1 << 40)
    with pytest.raises(TypeError):
        imm(1.0)


def doc_text(f):
    """The docstring of a bound function without its leading signature line."""
    return f.__doc__.split("\n\n", 1)[1].rstrip("\n")


def test_docstrings():
    assert ondrex.Expr.__doc__ == "Represents a symbolic boolean expression"
    assert ondrex.ExprArgs.__doc__ == "Represents the argument of an expression"
    assert doc_text(ondrex.Expr.args) == (
        "Returns a reference to an ExprArgs object if this expression\t\t\t\tcontains arguments. "
        "Throws a BadType exception otherwise")
    assert doc_text(ondrex.Expr.copy) == ("Create a deep copy of the expression")
    assert doc_text(ondrex.Expr.contains) == (
        "Returns true iif arg0 is in self. This does not try to search for\t\t\t\tit recursively")
    assert doc_text(ondrex.Expr.sym_idx) == (
        "Returns the index associated to a symbol is this expression is\t\t\t\ta symbol. "
        "Throws a BadType exception otherwise")
