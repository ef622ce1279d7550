import sys

import pytest

import ondrex


def test_docstring_and_submodules():
    assert ondrex.__doc__ == "ondrel python bindings"
    for name in ("analyses", "algos"):
        sub = getattr(ondrex, name)
        assert sys.modules["ondrex." + name] is sub
        assert sub.__name__ == "ondrex." + name
        assert sub.__file__ == ondrex.__file__


@pytest.mark.parametrize("cls", [ondrex.Expr, ondrex.ExprSym, ondrex.ExprArgs])
def test_classes_without_constructor(cls):
    with pytest.raises(TypeError, match=": No constructor defined!$"):
        cls()
