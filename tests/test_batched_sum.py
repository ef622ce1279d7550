"""`e += t` of single terms waits in a batch and is merged before anything reads `e`.

The reference for every sequence is the same sequence applied to an element reference of a
Vector: references are never batched, so each `+=` there runs the operator one term at a time.
"""
import copy
import gc
import pickle
import random

import pytest

import ondrex
from ondrex import ExprType, ExprWithArgs, Vector, imm


@pytest.fixture(scope="module")
def pool(syms):
    """About 300 distinct terms: symbols, products of two and three, and some other kinds."""
    s = [syms[n] for n in "abcdefgh"] + [syms[n] for n in "xyzw"]
    terms = list(s)
    terms += [p * q for i, p in enumerate(s) for q in s[i + 1:]]
    terms += [p * q * r for i, p in enumerate(s) for j, q in enumerate(s[i + 1:], i + 1)
              for r in s[j + 1:]][:200]
    terms += [imm(1), imm(0), s[0] | s[1], ondrex.esf(2, s[:4]), ExprWithArgs(ExprType.mul, [s[2]])]
    return terms


class Twin:
    """An expression built twice: as a plain object (batched) and through a reference (not)."""

    def __init__(self, start):
        self.e = copy.copy(start)
        self.v = Vector(1)
        self.v[0] = start
        self.ref = self.v.at(0)

    def add(self, t):
        self.e += t
        self.ref += t

    def check(self):
        assert repr(self.e) == repr(self.v[0])
        assert self.e == self.v[0]


def starts(syms):
    a, b, c, x = syms["a"], syms["b"], syms["c"], syms["x"]
    return {
        "two symbols": a + b,
        "sum with 1": a + b * c + imm(1),
        "raw with duplicates": ExprWithArgs(ExprType.add, [a, a, b]),
        "raw one argument": ExprWithArgs(ExprType.add, [x]),
        "raw empty": ExprWithArgs(ExprType.add, []),
        "raw nested sum": ExprWithArgs(ExprType.add, [a + b, c, x]),
        "symbol": a,
        "product": a * b,
        "zero": imm(0),
    }


@pytest.mark.parametrize("seed", range(6))
@pytest.mark.parametrize("start", ["two symbols", "sum with 1", "raw with duplicates",
                                   "raw one argument", "raw empty", "raw nested sum", "symbol",
                                   "zero"])
def test_random_sequences_match_one_at_a_time(syms, pool, seed, start):
    rng = random.Random(seed)
    twin = Twin(starts(syms)[start])
    # Long runs of adds (past the early-merge size) between reads, and short ones, so the batch
    # is settled by a read, by its own size and by steps that would collapse the sum.
    for step in range(1500):
        if rng.random() < 0.02:
            twin.check()
        if rng.random() < 0.01:
            twin.add(twin.e.args()[0] if twin.e.has_args() and twin.e.args().size() else imm(1))
        else:
            twin.add(rng.choice(pool))
    twin.check()


def test_cancelling_down_to_one_term_collapses(syms):
    a, b, c = syms["a"], syms["b"], syms["c"]
    e = a + b
    for t in [c, a * b, c, a * b, a]:
        e += t
    assert e == b and e.type() == ExprType.sym
    e += b
    assert e == imm(0)


@pytest.mark.parametrize("read", [
    lambda e: repr(e),
    lambda e: [repr(t) for t in e.args()],
    lambda e: e.args().size(),
    lambda e: hash(e),
    lambda e: repr(pickle.loads(pickle.dumps(e))),
    lambda e: repr(copy.deepcopy(e)),
    lambda e: repr(ondrex.simplify(e)),
    lambda e: repr(Vector([e, e])),
    lambda e: repr(e * ondrex.symbol("a")),
    lambda e: repr(ondrex.subs_exprs(e, [ondrex.symbol("a")], [imm(1)])),
    lambda e: repr(ondrex.subs_exprs(ondrex.symbol("q"), [ondrex.symbol("q")], [e])),
    lambda e: repr(e.eval({ondrex.symbol("a"): imm(1), ondrex.symbol("b"): imm(0)})),
    lambda e: repr(ondrex.parse(repr(e))),
], ids=["repr", "iterate args", "size", "hash", "pickle", "deepcopy", "simplify", "Vector",
        "operand", "subs", "subs value", "eval", "parse"])
def test_every_reader_sees_the_terms(syms, pool, read):
    twin = Twin(syms["a"] + syms["b"])
    for t in pool[8:120]:
        twin.add(t)
    assert read(twin.e) == read(twin.v[0])
    twin.check()


def test_views_taken_before_a_batch_keep_their_values(syms, pool):
    e = syms["a"] + syms["b"] + syms["c"]
    args = e.args()
    first = args[0]
    it = iter(e.args())
    before = [repr(t) for t in e.args()]
    for t in pool[12:80]:
        e += t
    assert [repr(t) for t in args] == before
    assert repr(first) == before[0]
    assert [repr(t) for t in it] == before


def test_self_and_own_arguments_as_operands(syms, pool):
    e = syms["a"] + syms["b"]
    for t in pool[12:40]:
        e += t
    e += e.args()[3]
    twin = Twin(syms["a"] + syms["b"])
    for t in pool[12:40]:
        twin.add(t)
    twin.ref += twin.v[0].args()[3]
    assert e == twin.v[0]
    e += e
    assert e == imm(0)


def test_dead_objects_leave_nothing_behind(syms, pool):
    # A new object may take the address of a dead one: it must not inherit its waiting terms.
    expected = syms["x"] + syms["y"]
    for _ in range(300):
        e = syms["a"] + syms["b"]
        for t in pool[12:20]:
            e += t
        del e
        gc.collect()
        f = syms["x"] + syms["y"]
        assert repr(f) == repr(expected)
        f += syms["z"]
        f += syms["z"]
        assert f == expected
