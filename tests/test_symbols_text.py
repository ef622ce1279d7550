"""The symbol table, argument symbols and the text form."""

import subprocess
import sys

import pytest

import ondrex
from ondrex import ExprType, ExprWithArgs, imm


def test_fresh_process_indices():
    code = ("import ondrex as o; print([o.symbol(n).sym_idx() for n in ('p', 'q', 'p', 'r')])")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True)
    assert out.stdout.strip() == "[0, 1, 0, 2]"


def test_symbol_identity(syms):
    again = ondrex.symbol("a")
    assert again == syms["a"] and again.sym_idx() == syms["a"].sym_idx()
    assert isinstance(again, ondrex.ExprSym)
    assert repr(ondrex.symbol("é ü")) == "é ü"


def test_unusable_names_are_refused():
    with pytest.raises(ValueError, match="NUL"):
        ondrex.symbol("a\x00b")
    with pytest.raises(TypeError):
        ondrex.symbol("\ud800")  # a lone surrogate has no UTF-8 form


def test_arg_symbols():
    assert ondrex.arg_symbol(0).sym_idx() == 0xF0000000
    assert repr(ondrex.arg_symbol(0)) == "_0"
    assert repr(ondrex.arg_symbol(5)) == "_5"
    assert repr(ondrex.arg_symbol(0x0FFFFFFF)) == "_268435455"
    assert isinstance(ondrex.arg_symbol(1), ondrex.ExprSym)
    with pytest.raises(TypeError):
        ondrex.arg_symbol(-1)
    with pytest.raises(TypeError):
        ondrex.arg_symbol(1 << 32)


def test_text_forms(syms):
    a, b, c = syms["a"], syms["b"], syms["c"]
    x0, x1 = ondrex.symbol("x0"), ondrex.symbol("x1")
    assert repr(x0 + x1) == "(x0 + x1)"
    assert repr(a * b * c) == "(a * b * c)"
    assert repr(a) == "a" and repr(imm(1)) == "1"
    assert repr(a * b + c + imm(1)) == "((a * b) + c + 1)"
    assert repr((a | b) + c) == "((a | b) + c)"
    for kind in (ExprType.add, ExprType.mul, ExprType.or_):
        assert repr(ExprWithArgs(kind, [])) == "(empty)"
