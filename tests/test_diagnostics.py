"""What a user reads when looking for help: cast errors that name the C++ type they wanted, and
the package version."""

import pathlib
import tomllib

import pytest

import ondrex
from ondrex import Matrix, Vector, symbol

x = symbol("dg_x")

CASES = [
    (lambda: Matrix(2, 2, lambda i, j: 1), "<class 'int'>", "ond::Expr"),
    (lambda: ondrex.subs_exprs(x, [x], [1.5]), "<class 'float'>", "ond::Expr"),
    (lambda: ondrex.esf_vector(2, [Vector(1), x]), "<class 'ondrex.ExprSym'>", "ond::Vector"),
    (lambda: ondrex.algos.draw_without_replacement(1, 2, lambda s: [1]), "<class 'list'>",
     "bool"),
    (lambda: ondrex.subs_vectors(x, [Vector(1)], [-1]), "<class 'int'>", "unsigned long"),
]


@pytest.mark.parametrize("call,python_type,cpp_type", CASES, ids=lambda c: str(c)[:24])
def test_cast_errors_name_both_types(call, python_type, cpp_type):
    with pytest.raises(RuntimeError) as err:
        call()
    assert str(err.value) == (f"Unable to cast Python instance of type {python_type} to C++ "
                              f"type '{cpp_type}'")


def test_version_is_the_package_version():
    pyproject = pathlib.Path(__file__).resolve().parent.parent / "pyproject.toml"
    version = tomllib.loads(pyproject.read_text())["project"]["version"]
    assert ondrex.__version__ == version
