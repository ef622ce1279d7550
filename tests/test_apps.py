import gc
import shutil
import subprocess

import pytest

import ondrex
from boolean_eval import truth_tables
from helpers import mat, texts, vec

INVALID = "incompatible sizes of M and V: expected M a square matrix of the size of V."


class TestVectorApp:
    def test_body_is_over_argument_symbols(self, syms):
        x, y = syms["x"], syms["y"]
        app = ondrex.VectorApp(vec(x, y), vec(x * y + y))
        a0, a1 = ondrex.arg_symbol(0), ondrex.arg_symbol(1)
        assert texts(app.vector()) == ["((_0 * _1) + _1)"]
        assert app.vector().at(0) == a0 * a1 + a1

    def test_call_substitutes_without_simplifying(self, syms):
        a, b, x, y = syms["a"], syms["b"], syms["x"], syms["y"]
        app = ondrex.VectorApp(vec(x, y), vec(x * y + y))
        assert texts(app(vec(a, b))) == ["((a * b) + b)"]
        # The product a.a is kept as it is.
        assert texts(app(vec(a, a))) == ["((a * a) + a)"]

    def test_repeated_input_maps_to_its_first_position(self, syms):
        x, y = syms["x"], syms["y"]
        app = ondrex.VectorApp(vec(x, x, y), vec(x + y))
        assert texts(app.vector()) == ["(_0 + _2)"]

    def test_inputs_need_not_be_symbols(self, syms):
        x, y, z = syms["x"], syms["y"], syms["z"]
        app = ondrex.VectorApp(vec(x * y), vec(x * y + z, x))
        assert texts(app.vector()) == ["(z + _0)", "x"]

    def test_short_vector_leaves_argument_symbols(self, syms):
        a, x, y, z = syms["a"], syms["x"], syms["y"], syms["z"]
        app = ondrex.VectorApp(vec(x, y, z), vec(x + z, y))
        assert texts(app(vec(a))) == ["(a + _2)", "_1"]
        # Extra elements are ignored; the result has the body's size.
        assert app(vec(a, a, a, a, a)).size() == 2

    def test_repr_is_the_body_text(self, syms):
        x, y = syms["x"], syms["y"]
        app = ondrex.VectorApp(vec(x, y), vec(y, x))
        assert repr(app) == repr(app.vector()) == "Vec([\n_1,\n_0\n])"


class TestAffApp:
    def test_call_is_matrix_times_vector_plus_constant(self, syms):
        x, y, z = syms["x"], syms["y"], syms["z"]
        aff = ondrex.AffApp(mat([[1, 0, 1], [0, 1, 1]]), vec(ondrex.imm(1), ondrex.imm(0)))
        out = aff(vec(x, y, z))
        assert out == mat([[1, 0, 1], [0, 1, 1]]) * vec(x, y, z) + vec(ondrex.imm(1), ondrex.imm(0))
        assert truth_tables(list(out)) == truth_tables([x + z + ondrex.imm(1), y + z])

    def test_only_the_line_count_is_checked(self):
        m = ondrex.Matrix(2, 3)
        assert ondrex.AffApp(m, ondrex.Vector(2)).matrix().ncols() == 3
        with pytest.raises(RuntimeError) as e:
            ondrex.AffApp(m, ondrex.Vector(3))
        assert str(e.value) == INVALID

    def test_call_with_wrong_size_raises(self):
        aff = ondrex.AffApp(ondrex.Matrix(2, 3), ondrex.Vector(2))
        with pytest.raises(RuntimeError, match="^size mismatch$"):
            aff(ondrex.Vector(2))

    def test_constructor_copies(self, syms):
        m, c = mat([[1]]), vec(syms["x"])
        aff = ondrex.AffApp(m, c)
        c[0] = syms["y"]
        m.at(0, 0).__iadd__(ondrex.imm(1))
        assert texts(aff.cst()) == ["x"] and repr(aff.matrix().at(0, 0)) == "1"

    def test_repr(self, syms):
        aff = ondrex.AffApp(mat([[1, 0]]), vec(syms["x"]))
        assert repr(aff) == "AffApp matrix = Mat([\n[1, 0]\n])\n\nAffApp cst = Vec([\nx\n])"

    @pytest.mark.parametrize("args", [(ondrex.Vector(1), ondrex.Vector(1)), (ondrex.Matrix(1, 1),)])
    def test_wrong_argument_types(self, args):
        with pytest.raises(TypeError):
            ondrex.AffApp(*args)


@pytest.fixture
def split_app(syms):
    """x.y + x, y.z over (x, y, z) split into a body and an affine part with constant (1, 0)."""
    x, y, z = syms["x"], syms["y"], syms["z"]
    nl = ondrex.VectorApp(vec(x, y, z), vec(x * y, y * z))
    aff = ondrex.AffApp(mat([[1, 0, 0], [0, 0, 0]]), vec(ondrex.imm(1), ondrex.imm(0)))
    return ondrex.App(nl, aff)


class TestApp:
    def test_call_adds_the_parts(self, syms, split_app):
        x, y, z = syms["x"], syms["y"], syms["z"]
        out = split_app(vec(x, y, z))
        nl, aff = split_app.nl()(vec(x, y, z)), split_app.affine()(vec(x, y, z))
        assert out == nl + aff
        assert truth_tables(list(out)) == truth_tables([x * y + x + ondrex.imm(1), y * z])

    def test_parts_of_different_sizes_fail_when_called(self, syms):
        x = syms["x"]
        nl = ondrex.VectorApp(vec(x), vec(x, x, x))
        app = ondrex.App(nl, ondrex.AffApp(ondrex.Matrix(2, 1), ondrex.Vector(2)))
        with pytest.raises(RuntimeError, match="^size mismatch$"):
            app(vec(x))

    def test_constructor_checks_the_affine_sizes_again(self, syms, split_app):
        aff = ondrex.AffApp(ondrex.Matrix(2, 1), ondrex.Vector(2))
        aff.cst().set_int_be(0, 3)  # breaks the invariant through the shared constant
        with pytest.raises(RuntimeError) as e:
            ondrex.App(split_app.nl(), aff)
        assert str(e.value) == INVALID

    def test_accessors(self, split_app):
        assert split_app.matrix() == split_app.affine().matrix()
        assert split_app.cst() == split_app.affine().cst()
        assert split_app.nl().vector().size() == 2

    def test_repr(self, split_app):
        text = repr(split_app)
        assert text == ("App NL = " + repr(split_app.nl().vector()) + "\n\n"
                        + repr(split_app.affine()))
        assert text.split("\n\n")[1].startswith("AffApp matrix = ")

    def test_docstrings(self):
        assert ondrex.AffApp.__doc__ == "Represents an affine application"
        assert ondrex.VectorApp.__doc__ == "Represents a generic application by a Vector object"
        assert ondrex.App.__doc__ == (
            "Represents an application by separating the\t\tnon-linear and affine parts")


# Accessor -> (owner factory, reader of the owner's matching part).
ACCESSORS = {
    "App.nl": (lambda a: a.nl(), lambda a: a.nl().vector()),
    "App.affine": (lambda a: a.affine(), lambda a: a.affine().cst()),
    "App.matrix": (lambda a: a.matrix(), lambda a: a.matrix()),
    "App.cst": (lambda a: a.cst(), lambda a: a.cst()),
    "App.affine.matrix": (lambda a: a.affine().matrix(), lambda a: a.matrix()),
    "App.nl.vector": (lambda a: a.nl().vector(), lambda a: a.nl().vector()),
}


@pytest.mark.parametrize("path", ACCESSORS)
def test_accessor_keeps_the_app_alive(split_app, path):
    get, _ = ACCESSORS[path]
    text = repr(split_app)
    part = get(split_app)
    del split_app
    gc.collect()
    # Still readable: the owner lives as long as the part does.
    assert repr(part) in text


def test_accessors_share_storage(syms, split_app):
    split_app.cst()[1] = syms["w"]
    assert repr(split_app.affine().cst().at(1)) == "w"
    split_app.nl().vector()[0] = syms["w"]
    assert repr(split_app.nl().vector().at(0)) == "w"
    split_app.matrix().at(1, 2).__iadd__(ondrex.imm(1))
    assert repr(split_app.affine().matrix().at(1, 2)) == "1"


def test_same_part_object_while_alive(split_app):
    nl = split_app.nl()
    assert split_app.nl() is nl


@pytest.mark.parametrize("name", [
    "ond::AffApp::AffApp(ond::Matrix const&, ond::Vector const&)",
    "ond::AffApp::operator()(ond::Vector const&) const",
    "ond::AffApp::InvalidSizes::what() const",
    "ond::VectorApp::set(ond::Vector const&, ond::Vector const&)",
    "ond::VectorApp::operator()(ond::Vector const&) const",
    "ond::App::App(ond::VectorApp const&, ond::AffApp const&)",
    "ond::App::operator()(ond::Vector const&) const",
    "ond::analyses::vectorial_decomp(ond::Vector const&, ond::Vector const&)",
    "ond::analyses::find_expr_idx(ond::Vector const&, ond::Expr const&)",
    "ond::analyses::find_expr(ond::Vector const&, ond::Expr const&)",
    "ond::analyses::UnknownSymbol::UnknownSymbol(ond::Expr const&)",
])
def test_operations_are_exported(name):
    nm = shutil.which("nm")
    if nm is None:
        pytest.skip("nm is not available")
    out = subprocess.run([nm, "-D", "--defined-only", "-C", ondrex.__file__],
                         capture_output=True, text=True, check=True).stdout
    assert name in out
