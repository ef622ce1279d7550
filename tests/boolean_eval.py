"""A reference evaluator of expressions.

The evaluator walks the tree through the public accessors only, so it judges results without
relying on the library's own simplification or substitution.
"""

import itertools

import ondrex

T = ondrex.ExprType


def evaluate(e, env, replace=None):
    """Truth value of `e` with symbol index -> bool taken from `env`; `replace(node)`, when given
    and not None, is the value of that node instead of its own."""
    if replace is not None:
        v = replace(e)
        if v is not None:
            return v
    t = e.type()
    if t == T.imm:
        return e.imm_value()
    if t == T.sym:
        return env[e.sym_idx()]
    vals = [evaluate(a, env, replace) for a in e.args()]
    if t == T.add:
        return sum(vals) % 2 == 1
    if t == T.mul:
        return all(vals)
    if t == T.or_:
        return any(vals)
    if t == T.esf:
        d = e.esf_degree()
        return sum(all(c) for c in itertools.combinations(vals, d)) % 2 == 1
    raise AssertionError(t)


def symbols_of(e, acc=None):
    acc = set() if acc is None else acc
    if e.is_sym():
        acc.add(e.sym_idx())
    elif e.has_args():
        for a in e.args():
            symbols_of(a, acc)
    return acc


def truth_tables(exprs):
    """One truth table per expression, over the symbols of all of them together."""
    idx = sorted(set().union(*(symbols_of(e) for e in exprs)))
    rows = [dict(zip(idx, bits)) for bits in itertools.product((False, True), repeat=len(idx))]
    return [[evaluate(e, env) for env in rows] for e in exprs]
