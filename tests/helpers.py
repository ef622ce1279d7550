"""Builders shared by the tests: containers from Python values, raw (unsimplified) nodes, texts.
They go through the public interface only and create no symbols on import."""

import ondrex
from ondrex import ExprType, ExprWithArgs


def vec(*exprs):
    """The Vector of these expressions."""
    v = ondrex.Vector(len(exprs))
    for i, e in enumerate(exprs):
        v[i] = e
    return v


def mat(rows):
    """The Matrix of nested lists of expressions or 0/1 integers."""
    ncols = len(rows[0]) if rows else 0

    def entry(i, j):
        e = rows[i][j]
        return ondrex.imm(e) if isinstance(e, int) else e

    return ondrex.Matrix(len(rows), ncols, entry)


def add(*args):
    """A raw sum node, as written."""
    return ExprWithArgs(ExprType.add, list(args))


def mul(*args):
    """A raw product node, as written."""
    return ExprWithArgs(ExprType.mul, list(args))


def big_sum(first, n=1 << 17):
    """The raw sum of the argument symbols first .. first + n - 1."""
    return ExprWithArgs(ExprType.add, [ondrex.arg_symbol(first + i) for i in range(n)])


def texts(xs):
    """The repr of each element."""
    return [repr(x) for x in xs]
