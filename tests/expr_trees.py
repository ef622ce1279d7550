"""Random expression trees for the property tests, and oracles that judge results in plain Python.

A tree is plain data, built into an expression only by `build`:
    ("sym", i)                      symbol POOL[i]
    ("imm", v)                      immediate v
    (op, raw, [children])           op in "add", "mul", "or"; raw: one ExprWithArgs node (keeps
                                    duplicates and single arguments), else a fold of the operator
    ("esf", d, [children])          ondrex.esf(d, children)
The oracles (`value`, `anf`) read that data, never the library's result, so they stay independent
of the library's own canonicalisation, expansion and substitution.
"""

import itertools

from hypothesis import settings
from hypothesis import strategies as st

import ondrex
from boolean_eval import evaluate
from ondrex import ExprType, ExprWithArgs, imm

NVARS = 6
POOL = [ondrex.symbol("tv%d" % i) for i in range(NVARS)]
POINTS = list(itertools.product((0, 1), repeat=NVARS))
KINDS = {"add": ExprType.add, "mul": ExprType.mul, "or": ExprType.or_}


def examples(n):
    """max_examples for a property that runs n examples under the default profile (conftest)."""
    return max(1, n * settings.default.max_examples // 100)


def leaves(nvars=NVARS):
    return st.one_of(
        st.tuples(st.just("sym"), st.integers(0, nvars - 1)),
        st.tuples(st.just("imm"), st.integers(0, 1)),
    )


@st.composite
def _esf_node(draw, kids):
    args = draw(st.lists(kids, min_size=1, max_size=4))
    # Degree 0 included: the constant 1, whatever the arguments.
    return ("esf", draw(st.integers(0, len(args) + 1)), args)


def trees(ops=("add", "mul", "or", "esf"), nvars=NVARS, max_leaves=12):
    """Nested trees over the operators `ops`; no node is empty, so every node has its usual
    meaning (the library reads an empty product as 0)."""

    def extend(kids):
        nodes = []
        plain = [op for op in ops if op != "esf"]
        if plain:
            nodes.append(st.tuples(st.sampled_from(plain), st.booleans(),
                                   st.lists(kids, min_size=1, max_size=4)))
        if "esf" in ops:
            nodes.append(_esf_node(kids))
        return st.one_of(nodes)

    return st.recursive(leaves(nvars), extend, max_leaves=max_leaves)


def build(t):
    kind = t[0]
    if kind == "sym":
        return POOL[t[1]].copy()  # a new object: tests change what they build in place
    if kind == "imm":
        return imm(t[1])
    args = [build(k) for k in t[2]]
    if kind == "esf":
        return ondrex.esf(t[1], args)
    if t[1]:
        return ExprWithArgs(KINDS[kind], args)
    acc = args[0]
    for a in args[1:]:
        acc = acc + a if kind == "add" else acc * a if kind == "mul" else acc | a
    return acc


def value(t, point):
    """Truth value (0/1) of the tree with POOL[i] set to point[i]."""
    kind = t[0]
    if kind == "sym":
        return point[t[1]]
    if kind == "imm":
        return t[1]
    vals = [value(k, point) for k in t[2]]
    if kind == "add":
        return sum(vals) % 2
    if kind == "mul":
        return int(all(vals))
    if kind == "or":
        return int(any(vals))
    return sum(all(c) for c in itertools.combinations(vals, t[1])) % 2


def table(t, subs=None):
    """Truth table of the tree over POINTS; `subs` maps a variable to a tree that replaces it."""
    subs = subs or {}
    out = []
    for p in POINTS:
        q = [value(subs[i], p) if i in subs else p[i] for i in range(NVARS)]
        out.append(value(t, q))
    return out


def expr_table(e, replace_at=None):
    """Truth table of a library expression over POINTS, read through its accessors only;
    `replace_at(point)` may give the `replace` hook of boolean_eval.evaluate at each point."""
    idx = [s.sym_idx() for s in POOL]
    return [int(evaluate(e, dict(zip(idx, map(bool, p))), replace_at and replace_at(p)))
            for p in POINTS]


# ANF oracle: a polynomial is a frozenset of monomials, a monomial a frozenset of variables.
ONE = frozenset([frozenset()])
ZERO = frozenset()


def poly_mul(p, q):
    r = set()
    for a in p:
        for b in q:
            r ^= {a | b}
    return frozenset(r)


def esf_poly(polys, d):
    """e_d over the polynomials, by e_k(x1..xn) = e_k(x1..xn-1) + xn * e_k-1(x1..xn-1)."""
    e = [ONE] + [ZERO] * d
    for p in polys:
        for k in range(d, 0, -1):
            e[k] = e[k] ^ poly_mul(p, e[k - 1])
    return e[d]


def anf(t):
    """The set of monomials of the tree, by expansion with XOR cancellation."""
    kind = t[0]
    if kind == "sym":
        return frozenset([frozenset([t[1]])])
    if kind == "imm":
        return ONE if t[1] else ZERO
    polys = [anf(k) for k in t[2]]
    if kind == "esf":
        return esf_poly(polys, t[1])
    acc = polys[0]
    for p in polys[1:]:
        if kind == "add":
            acc = acc ^ p
        elif kind == "mul":
            acc = poly_mul(acc, p)
        else:  # a | b = a + b + ab
            acc = acc ^ p ^ poly_mul(acc, p)
    return acc


def anf_text(poly):
    """The text of the simplified form: products by size then lexicographically by symbol
    index, then the lone symbols, then 1."""

    def key(m):
        ids = sorted(POOL[i].sym_idx() for i in m)
        return (0 if len(m) >= 2 else 1 if m else 2, len(m), ids)

    def text(m):
        names = [repr(POOL[i]) for i in sorted(m, key=lambda i: POOL[i].sym_idx())]
        if not names:
            return "1"
        return names[0] if len(names) == 1 else "(" + " * ".join(names) + ")"

    ms = sorted(poly, key=key)
    if not ms:
        return "0"
    return text(ms[0]) if len(ms) == 1 else "(" + " + ".join(text(m) for m in ms) + ")"


def assert_simplified(e):
    """The shape `simplify` leaves: sorted, merged, folded, products distributed as far as
    their Or and ESF factors allow."""
    if not e.has_args():
        return
    args = list(e.args())
    for x in args:
        assert_simplified(x)
    if e.is_esf():
        assert all(not (b < a) for a, b in zip(args, args[1:])), e
        assert args and not any(x.is_imm() and not x.imm_value() for x in args), e
        return
    assert len(args) >= 2, e
    assert all(a < b for a, b in zip(args, args[1:])), e
    assert all(x.type() != e.type() for x in args), e
    assert not any(x.is_imm() and not x.imm_value() for x in args), e
    if not e.is_add():
        assert not any(x.is_imm() for x in args), e
    if e.is_mul():
        sums = [x for x in args if x.is_add()]
        if sums:
            assert len(sums) == 1 and args[-1].is_add(), e
            assert args[0].type() in (ExprType.or_, ExprType.esf), e


def anf_expr(poly):
    """The simplified expression of a polynomial, made from raw nodes (which sort their
    arguments) without the library's arithmetic."""
    terms = []
    for m in poly:
        xs = [POOL[i] for i in m]
        terms.append(imm(1) if not xs else xs[0] if len(xs) == 1
                     else ExprWithArgs(ExprType.mul, xs))
    if not terms:
        return imm(0)
    return terms[0] if len(terms) == 1 else ExprWithArgs(ExprType.add, terms)
