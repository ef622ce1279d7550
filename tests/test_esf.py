import itertools

import pytest

import ondrex
from helpers import vec
from ondrex import ExprType, esf, expand_esf, expand_esf_inplace, imm, simplify


@pytest.mark.parametrize(
    "degree,names,kind,text",
    [
        (1, "xy", ExprType.add, "(x + y)"),
        (2, "xy", ExprType.mul, "(x * y)"),
        (2, "xyz", ExprType.esf, "ESF(2, x, y, z)"),
        (2, "zyx", ExprType.esf, "ESF(2, x, y, z)"),
        (3, "xy", ExprType.esf, "ESF(3, x, y)"),
        (2, "xxy", ExprType.esf, "ESF(2, x, x, y)"),
        (0, "", ExprType.imm, "1"),  # the product of no argument
        (0, "x", ExprType.esf, "ESF(0, x)"),
        (3, "", ExprType.esf, "ESF(3, (empty))"),
    ],
)
def test_construction(syms, degree, names, kind, text):
    e = esf(degree, [syms[n] for n in names])
    assert e.type() == kind
    assert repr(e) == text


def degree_zero_paths(syms):
    a, b = syms["a"], syms["b"]
    return {
        "simplify": simplify,
        "expand_esf then simplify": lambda e: simplify(expand_esf(e)),
        "eval": lambda e: e.eval({}),
        "eval with a substitution": lambda e: e.eval({a: imm(0), b: imm(1)}),
        "anf": ondrex.anf,
        "inside a product": lambda e: simplify(e * b + b + imm(1)),
        "inside a sum": lambda e: simplify(e + a + a),
    }


@pytest.mark.parametrize("args", ["", "0", "a", "a0", "ab1", "aab"])
def test_degree_zero_is_one_on_every_path(syms, args):
    # e_0 is the empty product, 1, over any arguments (a mended fault: it used to depend on the
    # pass order, and esf(0, []) was an empty product that simplify read as 0).
    elts = [imm(int(c)) if c.isdigit() else syms[c] for c in args]
    for path, f in degree_zero_paths(syms).items():
        assert f(esf(0, elts)) == imm(1), path
    assert ondrex.truth_table(esf(0, elts), ondrex.Vector([syms["a"], syms["b"]])) == 0b1111


def test_construction_keeps_immediates(syms):
    e = esf(2, [imm(1), syms["x"], imm(0)])
    assert repr(e) == "ESF(2, x, 0, 1)"


def test_degree_and_argument_errors(syms):
    assert esf(2, [syms["x"], syms["y"], syms["z"]]).esf_degree() == 2
    assert esf(255, [syms["x"]]).esf_degree() == 255
    with pytest.raises(RuntimeError, match="expected 'SF', got 'Imm'"):
        imm(1).esf_degree()
    with pytest.raises(TypeError):
        esf(256, [syms["x"]])
    with pytest.raises(TypeError):
        esf(-1, [syms["x"]])
    with pytest.raises(RuntimeError):
        esf(2, [syms["x"], 3])


@pytest.mark.parametrize(
    "degree,names,text",
    [
        (2, "xyz", "((x * y) + (x * z) + (y * z))"),
        (3, "abcd", "((a * b * c) + (a * b * d) + (a * c * d) + (b * c * d))"),
        (4, "abc", "0"),
        (1, "a", "(a)"),
        (0, "ab", "1"),
        (2, "ab", "(a * b)"),
    ],
)
def test_expansion(syms, degree, names, text):
    assert repr(expand_esf(esf(degree, [syms[n] for n in names]))) == text


def test_expansion_with_immediates_and_duplicates(syms):
    x, y, z = syms["x"], syms["y"], syms["z"]
    # Monomials with an immediate 0 factor vanish, immediate 1 factors drop out.
    assert repr(expand_esf(esf(2, [x, y, imm(0)]))) == "(x * y)"
    assert repr(expand_esf(esf(2, [x, y, imm(1)]))) == "((x * y) + x + y)"
    # x*x = x twice from the duplicate, cancelling; the two x*y cancel too.
    assert repr(expand_esf(esf(2, [x, x, y]))) == "x"
    want = "((x * y) + (x * z) + (y * z) + (x * y * z))"
    assert repr(expand_esf(esf(3, [x, y, z, imm(1)]))) == want


@pytest.mark.parametrize("kind", [ExprType.mul, ExprType.or_])
def test_expansion_normalises_a_raw_single_monomial(syms, kind):
    # The only monomial left is the raw node itself; merging its children (x) and (x x) meets
    # the repeated x with the cursor on the x already kept, so one x remains.
    x = syms["x"]
    raw = ondrex.ExprWithArgs(kind, [ondrex.ExprWithArgs(kind, [x]),
                                     ondrex.ExprWithArgs(kind, [x, x])])
    assert repr(expand_esf(esf(2, [raw, imm(0), imm(1)]))) == "x"


def test_expansion_agrees_with_the_definition(syms):
    vs = [syms[n] for n in "abcdef"]
    for d in range(0, 8):
        want = imm(0)
        for subset in itertools.combinations(vs, d):
            m = imm(1)
            for v in subset:
                m = m * v
            want = want + m
        assert simplify(expand_esf(esf(d, vs))) == simplify(want)


def test_nested_expansion_is_innermost_first(syms):
    a, b, c, x = syms["a"], syms["b"], syms["c"], syms["x"]
    inner = esf(2, [a, b, c])
    e = inner + x
    assert repr(expand_esf(e)) == "(((a * b) + (a * c) + (b * c)) + x)"
    assert repr(simplify(expand_esf(e))) == "((a * b) + (a * c) + (b * c) + x)"
    # An ESF over an ESF: the inner one is expanded first, then the outer one over it.
    outer = esf(2, [esf(2, [a, b, c]), x, a])
    assert simplify(expand_esf(outer)) == simplify(
        expand_esf(esf(2, [a, b, c])) * x + expand_esf(esf(2, [a, b, c])) * a + x * a
    )


def test_expand_inplace_and_copy(syms):
    x, y, z = syms["x"], syms["y"], syms["z"]
    e = esf(2, [x, y, z])
    c = expand_esf(e)
    assert repr(e) == "ESF(2, x, y, z)"
    assert expand_esf_inplace(e) is None
    assert e == c
    leaf = x.copy()
    expand_esf_inplace(leaf)
    assert leaf == x


@pytest.mark.parametrize(
    "build,degree",
    [
        (lambda s: s["a"] * s["b"] * s["c"] + s["a"] * s["b"] + s["d"] + imm(1), 3),
        (lambda s: s["a"] + s["b"], 0),
        (lambda s: s["a"] * s["b"] + s["c"] * s["d"] * s["a"] * s["b"] + s["c"], 4),
    ],
)
def test_anf_esf_max_degree(syms, build, degree):
    e = build(syms)
    assert e.anf_esf_max_degree() == degree


def test_anf_esf_max_degree_on_leaves(syms):
    assert syms["a"].anf_esf_max_degree() == 0
    assert imm(1).anf_esf_max_degree() == 0


def test_esf_vector(syms):
    a, b, c, d, x, y, z, w = (syms[n] for n in "abcdxyzw")
    p = vec(a, b, c, d)
    q = vec(x, y, z, w)
    r = vec(z, a, imm(1), d)
    v = ondrex.esf_vector(2, [p, q, r])
    assert type(v) is ondrex.Vector and len(v) == 4
    assert [repr(e) for e in v] == [
        repr(esf(2, [a, x, z])),
        repr(esf(2, [b, y, a])),
        repr(esf(2, [c, z, imm(1)])),
        repr(esf(2, [d, w, d])),
    ]
    assert all(e.type() == ExprType.esf for e in v)
    products = ondrex.esf_vector(2, [p, q])
    assert [repr(e) for e in products] == [repr(a * x), repr(b * y), repr(c * z), repr(d * w)]
    assert len(ondrex.esf_vector(3, [])) == 0


def test_esf_vector_errors(syms):
    p = vec(syms["a"], syms["b"], syms["c"], syms["d"])
    q = vec(syms["x"], syms["y"], syms["z"])
    with pytest.raises(RuntimeError, match="^size mismatch$"):
        ondrex.esf_vector(2, [p, q])
    with pytest.raises(RuntimeError):
        ondrex.esf_vector(2, [p, syms["x"]])


def test_expand_esf_vector(syms):
    x, y, z = syms["x"], syms["y"], syms["z"]
    v = vec(esf(2, [x, y, z]), x, esf(3, [x, y]) + z)
    c = expand_esf(v)
    assert type(c) is ondrex.Vector
    assert [repr(e) for e in c] == ["((x * y) + (x * z) + (y * z))", "x", "(0 + z)"]
    assert repr(v[0]) == "ESF(2, x, y, z)"
    assert expand_esf_inplace(v) is None
    assert v == c
