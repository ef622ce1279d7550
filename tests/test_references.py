"""References into an owner's storage: shared while the storage stays, detached (keeping the value
they had) before an operation that may move or free it, so that no use of one reads freed memory."""

import pytest

import ondrex
from ondrex import imm, simplify
from stale_use import churn


@pytest.fixture
def s(syms):
    return syms


def sym_list(n, prefix="r"):
    return [ondrex.symbol(f"{prefix}{i}") for i in range(n)]


def test_argument_references_survive_growth_and_kind_change(s):
    a, b, c = s["a"], s["b"], s["c"]
    e = a + b + c
    args = e.args()
    first, last = args[0], e.args()[2]
    items = list(e.args())
    for x in sym_list(200):
        e += x                          # reallocates the argument list many times
    e *= s["x"]                         # the node becomes a product
    churn()
    assert (repr(first), repr(last)) == ("a", "c")
    assert [repr(x) for x in args] == ["a", "b", "c"] and len(args) == 3
    assert [repr(x) for x in items] == ["a", "b", "c"]
    first += s["y"]                     # a detached reference is an object of its own
    assert repr(first) == "(a + y)" and e.args()[0].args()[0] == a


def test_nested_references_are_detached_with_their_ancestor(s):
    a, b, c, d = s["a"], s["b"], s["c"], s["d"]
    e = a * b + c * d
    inner = e.args()[0].args()      # arguments of the product a * b
    leaf = inner[1]
    e += a * b                      # the product cancels away and is freed
    churn()
    assert repr(e) == "(c * d)"
    assert [repr(x) for x in inner] == ["a", "b"] and repr(leaf) == "b"


@pytest.mark.parametrize("op", [
    lambda e, s: ondrex.simplify_inplace(e),
    lambda e, s: ondrex.subs_exprs_inplace(e, [s["a"]], [imm(1)]),
    lambda e, s: ondrex.or_to_esf_inplace(e),
    lambda e, s: ondrex.expand_esf_inplace(e),
    lambda e, s: ondrex.identify_ors_inplace(e),
], ids=["simplify", "subs", "or_to_esf", "expand_esf", "identify_ors"])
def test_in_place_passes_detach_references_below(s, op):
    a, b, c = s["a"], s["b"], s["c"]
    e = ((a | b) + ondrex.esf(2, [a, b, c])) * (a + c)
    before = [repr(x) for x in e.args()]
    refs = list(e.args())
    deep = e.args()[0].args()[0]
    deep_text = repr(deep)
    op(e, s)
    churn()
    assert [repr(x) for x in refs] == before and repr(deep) == deep_text


def test_vector_elements_are_shared_while_the_length_stays(s):
    a, b = s["a"], s["b"]
    v = ondrex.Vector(4)
    r0, r1 = v[0], v.at(1)
    w = ondrex.Vector(4, a)
    v += w
    assert repr(r0) == "a" and repr(r1) == "a"
    r0 += b                             # seen through the vector
    assert repr(v[0]) == "(a + b)"
    v.set_int_be(0b10, 4)               # same length: the elements are rewritten in place
    assert (repr(r0), repr(r1)) == ("0", "1")


@pytest.mark.parametrize("nbits", [1, 3, 64])
def test_vector_elements_are_detached_when_the_length_changes(s, nbits):
    v = ondrex.Vector(4, s["a"] + s["b"])
    r, last = v.at(0), v[3]
    it = iter(v)
    nxt = next(it)
    args = v[2].args()
    v.set_int_le(1, nbits)
    churn()
    assert [repr(x) for x in (r, last, nxt)] == ["(a + b)"] * 3
    assert [repr(x) for x in args] == ["a", "b"]
    assert len(v) == nbits and v.get_int_le() == 1
    r += s["c"]
    assert repr(r) == "(a + b + c)" and len(v) == nbits


@pytest.mark.parametrize("op", [
    lambda v, s: v.__iadd__(ondrex.Vector(len(v), s["a"] * s["b"])),
    lambda v, s: v.__imul__(s["c"]),
    lambda v, s: ondrex.simplify_inplace(v),
    lambda v, s: ondrex.subs_exprs_inplace(v, [s["a"]], [s["b"]]),
    lambda v, s: v.__setitem__(0, s["c"]),
    lambda v, s: v.set_null(),
], ids=["iadd", "imul", "simplify", "subs", "setitem", "set_null"])
def test_vector_operations_detach_references_inside_elements(s, op):
    a, b = s["a"], s["b"]
    v = ondrex.Vector(3, a + b)
    elem = v[0]
    args = v[0].args()
    leaf = v[1].args()[1]
    op(v, s)
    churn()
    assert [repr(x) for x in args] == ["a", "b"] and repr(leaf) == "b"
    assert elem == v[0]                 # the element itself is still shared


def test_matrix_elements_shared_and_their_arguments_detached(s):
    a, b = s["a"], s["b"]
    m = ondrex.Matrix(2, 2, a + b)
    r = m.at(1, 1)
    args = m.at(0, 0).args()
    m += ondrex.Matrix(2, 2, a)
    churn()
    assert repr(r) == "b" and repr(m.at(1, 1)) == "b"
    assert [repr(x) for x in args] == ["a", "b"]


def test_operands_inside_the_target_act_as_copies(s):
    a, b, c = s["a"], s["b"], s["c"]
    v = ondrex.Vector(3, a + b)
    v[1] = c
    expected = v * v[0]
    v *= v[0]                           # element 0 changes before the others are multiplied
    assert v == expected
    w = ondrex.Vector(2, a * b + c)
    w[0] = w[0].args()[0]               # an element replaced by a part of itself
    assert repr(w[0]) == "(a * b)" and repr(w[1]) == "((a * b) + c)"
    e = ondrex.Vector(1, (a + b) * c)
    inner = e[0].args()[0]              # (a + b), inside e[0]
    expected = inner + e[0]
    inner += e[0]                       # the operand contains the target
    assert inner == expected
    churn()
    assert simplify(e[0]) == simplify(expected * c)
